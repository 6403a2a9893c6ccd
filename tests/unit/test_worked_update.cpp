#include <gtest/gtest.h>

#include <initializer_list>

#include "common/fatal.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

namespace {

constexpr int k20Meters = 13;

// A framed entity line of 79 bytes: free text, the name in 17-28, more free text,
// then the 18 cells (category k at index k - 1 of `cells`) between 0xB3 bars.
std::string entity(const std::string& name, const std::string& cells = "", const std::string& note = "") {
  std::string line = fitWidth(" PJ2  SA  09", 16) + fitWidth(name, 12) + fitWidth(note, 14);
  for (size_t k = 0; k < 18; ++k) {
    line += '\xB3';
    line += k < cells.size() ? cells[k] : ' ';
  }
  return line + '\xB3';
}

// 18 cells, `mark` in the categories listed.
std::string cells(std::initializer_list<int> categories, char mark = '\\') {
  std::string out(18, ' ');
  for (int k : categories) out[static_cast<size_t>(k - 1)] = mark;
  return out;
}

std::string cellsOf(const std::string& line) {
  std::string out;
  for (int k = 1; k <= kCategoryCount; ++k) out += markOf(line, k);
  return out;
}

std::string join(const std::vector<std::string>& lines, const std::string& eol, bool lastEnded = true) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += lines[i] + (i + 1 < lines.size() || lastEnded ? eol : "");
  return out;
}

struct Contact {
  std::string country = "JAPAN";
  std::string freq = "14.025";
  std::string mode = "CW";
  std::string pwr = "100";
  std::string sr = "  ";
  std::string comments = "";
  std::string date = "06 DEC 26";
};

struct Station {
  TempDir dir;
  testing::ScriptedLogbook logbook;
  Logbook& lb = logbook.lb;

  void log(const Contact& c) {
    lb.record.clear();
    lb.record.set(Field::DATE, c.date);
    lb.record.set(Field::FREQ, c.freq);
    lb.record.set(Field::MODE, c.mode);
    lb.record.set(Field::PWR, c.pwr);
    lb.record.set(Field::COUNTRY, c.country);
    lb.record.set(Field::SR, c.sr);
    lb.record.set(Field::COMMENTS, c.comments);
    lb.record.setSeparators();
    updateWorkedTables(lb);
  }
  // The cells of a one-entity table after the contact (the entity starts with `before`).
  std::string marks(const Contact& c, const std::string& before = "") {
    writeFile("WORKED.CFM", entity("JAPAN", before) + "\r\n");
    log(c);
    return cellsOf(splitLines(readFile("WORKED.CFM"))[0]);
  }
};

}  // namespace

class WorkedFile : public ::testing::TestWithParam<const char*> {};

TEST_P(WorkedFile, UpdateChangesExactlyTheContactsCells) {
  const std::string eol = GetParam();
  std::vector<std::string> lines = {
      "DXCC ENTITIES WORKED AND CONFIRMED  (M P C D S Q 630 160 80 60 40 30 20 17 15 12 10 6)",
      "",
      entity("CURACAO", "", "since 2010"),
      entity("JAPAN", "X", "JA JD1"),
      "short note: JAPAN",
      "       DELETED ENTITIES",
      entity("SAAR"),
      "END",
      entity("ZANZIBAR"),  // after END and without a line end: the update still finds it
  };
  Station s;
  writeFile("WORKED.CFM", join(lines, eol, false));

  s.log({});
  std::vector<std::string> expected = lines;
  for (int k : {kMixed, kCw, k20Meters}) expected[3][static_cast<size_t>(markColumn(k) - 1)] = k == kMixed ? 'X' : '\\';
  EXPECT_EQ(readFile("WORKED.CFM"), join(expected, eol, false));
  EXPECT_TRUE(s.lb.tables.workedUpdated);

  s.log({});
  EXPECT_EQ(readFile("WORKED.CFM"), join(expected, eol, false));
  EXPECT_FALSE(s.lb.tables.workedUpdated);

  s.log({.country = "ZANZIBAR", .mode = "SSB", .sr = " X"});
  expected[8] = entity("ZANZIBAR", cells({kMixed, kPhone, k20Meters}, 'X'));
  EXPECT_EQ(readFile("WORKED.CFM"), join(expected, eol, false));
}

INSTANTIATE_TEST_SUITE_P(LineEnds, WorkedFile, ::testing::Values("\r\n", "\n"));

TEST(WorkedUpdate, MarksMoveForwardOnlyAndCreditIsNeverTouched) {
  Station s;
  const std::string cw = cells({kMixed, kCw, k20Meters}, 'X');
  EXPECT_EQ(s.marks({.sr = " X"}), cw);
  EXPECT_EQ(s.marks({.sr = " B"}, cw), cells({kMixed, kCw, k20Meters}, 'B'));
  EXPECT_EQ(s.marks({.sr = " L"}, "C"), "C" + cells({kCw, k20Meters}, 'L').substr(1));
  // A lower-case mark is read as its capital and written back as one.
  EXPECT_EQ(s.marks({.sr = " L"}, "x"), "B" + cells({kCw, k20Meters}, 'L').substr(1));
  EXPECT_EQ(s.marks({.sr = " B"}, "B"), "B" + cells({kCw, k20Meters}, 'B').substr(1));
  EXPECT_EQ(s.marks({.sr = " Q"}, "*"), cells({kMixed, kCw, k20Meters}, 'X'));
  // A card does not upgrade a card; nothing received leaves a worked cell alone.
  EXPECT_EQ(s.marks({.sr = " X"}, cw), cw);
  EXPECT_FALSE(s.lb.tables.workedUpdated);
  EXPECT_EQ(s.marks({.sr = "  "}, "L"), "L" + cells({kCw, k20Meters}).substr(1));
}

TEST(WorkedUpdate, CategoriesFollowModePowerSatelliteAndBand) {
  Station s;
  EXPECT_EQ(s.marks({.mode = "FM"}), cells({kMixed, k20Meters}));
  EXPECT_EQ(s.marks({.mode = "USB"}), cells({kMixed, kDigital, k20Meters}));
  EXPECT_EQ(s.marks({.mode = "SSB"}), cells({kMixed, kPhone, k20Meters}));
  EXPECT_EQ(s.marks({.mode = ""}), cells({kMixed, kDigital, k20Meters}));
  EXPECT_EQ(s.marks({.mode = "FT8", .pwr = "5", .comments = "VIA AO-7 SAT"}), cells({kSatellite, kDigital, kQrp}));
  EXPECT_EQ(s.marks({.mode = "SSB", .comments = "SAT NOT REALLY"}), cells({kMixed, kPhone, k20Meters}));
  EXPECT_EQ(s.marks({.pwr = "5"}), cells({kMixed, kCw, kQrp, k20Meters}));
  EXPECT_EQ(s.marks({.pwr = "1"}), cells({kMixed, kCw, kQrp, k20Meters}));
  EXPECT_EQ(s.marks({.pwr = "0.5"}), cells({kMixed, kCw, k20Meters}));
  EXPECT_EQ(s.marks({.pwr = "10"}), cells({kMixed, kCw, k20Meters}));
  // Band edges belong to no band.
  EXPECT_EQ(s.marks({.freq = "10.0"}), cells({kMixed, kCw}));
  EXPECT_EQ(s.marks({.freq = "10.1"}), cells({kMixed, kCw, 12}));
  EXPECT_EQ(s.marks({.freq = "54.0"}), cells({kMixed, kCw}));
  EXPECT_EQ(s.marks({.freq = "50.125"}), cells({kMixed, kCw, k6Meters}));
  EXPECT_EQ(s.marks({.freq = "144.200"}), cells({kMixed, kCw}));
  EXPECT_EQ(s.marks({.freq = "0.475"}), cells({kMixed, kCw, k630Meters}));
  EXPECT_EQ(s.marks({.freq = "1.8"}), cells({kMixed, kCw, k160Meters}));
}

TEST(WorkedUpdate, AntillesEntitiesCountFromTenthOfOctober2010) {
  Station s;
  const std::string applied = cells({kMixed, kCw, k20Meters});
  EXPECT_EQ(s.marks({.country = "JAPAN", .date = "09 OCT 10"}), applied);
  writeFile("WORKED.CFM", entity("CURACAO") + "\r\n");
  s.log({.country = "CURACAO", .date = "09 OCT 10"});
  EXPECT_EQ(readFile("WORKED.CFM"), entity("CURACAO") + "\r\n");
  EXPECT_FALSE(s.lb.tables.workedUpdated);
  s.log({.country = "CURACAO", .date = "10 OCT 10"});
  EXPECT_EQ(readFile("WORKED.CFM"), entity("CURACAO", applied) + "\r\n");

  EXPECT_TRUE(datedBeforeAntillesSplit("30 SEP 10"));
  EXPECT_FALSE(datedBeforeAntillesSplit("01 JAN 11"));
  EXPECT_TRUE(datedBeforeAntillesSplit("31 DEC 99"));   // 1999
  EXPECT_FALSE(datedBeforeAntillesSplit("01 JAN 49"));  // 2049
  // An unknown month ranks before January: only a later year puts the date after.
  EXPECT_TRUE(datedBeforeAntillesSplit("20 XXX 10"));
  EXPECT_FALSE(datedBeforeAntillesSplit("20 oct 11"));
  EXPECT_TRUE(datedBeforeAntillesSplit(""));
}

TEST(WorkedUpdate, ScanStopsAtFirstChangedLineUnlessATaggedLineIsStillAhead) {
  Station s;
  const std::string cw = cells({kMixed, kCw, k20Meters});
  const std::vector<std::string> lines = {entity("UNITED STATE", cw), entity("UNITED STATE"),
                                          entity("ALASKA", "", "$AK"), entity("UNITED STATE")};
  writeFile("WORKED.CFM", join(lines, "\r\n"));
  s.log({.country = "UNITED STATE"});  // the first line has nothing new: the second takes it
  EXPECT_EQ(readFile("WORKED.CFM"), join({lines[0], entity("UNITED STATE", cw), lines[2], lines[3]}, "\r\n"));

  writeFile("WORKED.CFM", join(lines, "\r\n"));
  s.log({.country = "UNITED STATE", .comments = "KL7 $AK"});
  EXPECT_EQ(readFile("WORKED.CFM"),
            join({lines[0], entity("UNITED STATE", cw), entity("ALASKA", cw, "$AK"), lines[3]}, "\r\n"));
  EXPECT_TRUE(s.lb.tables.workedUpdated);
  // Nothing new on the tagged line: the lines passed on the way changed, yet the flag is clear.
  writeFile("WORKED.CFM", join({lines[1], entity("ALASKA", cw, "$AK")}, "\r\n"));
  s.log({.country = "UNITED STATE", .comments = "KL7 $AK"});
  EXPECT_EQ(readFile("WORKED.CFM"), join({entity("UNITED STATE", cw), entity("ALASKA", cw, "$AK")}, "\r\n"));
  EXPECT_FALSE(s.lb.tables.workedUpdated);
}

TEST(WorkedUpdate, UnknownEntitiesShortLinesAndOddBytesAreLeftAlone) {
  Station s;
  const std::string odd = std::string("\x00\x1a\xff\r binary\r\n", 13) + std::string(300000, 'J') + "\n" +
                          entity("JAPAN").substr(0, 78) + "\r\n" + "JAPAN\n";
  writeFile("WORKED.CFM", odd + entity("JAPAN"));
  s.lb.tables.workedUpdated = s.lb.tables.gridUpdated = true;
  for (const char* unknown : {"?", "JA?", "", " JAPAN"}) {
    s.log({.country = unknown, .freq = "50.1", .comments = "#PM95"});
    EXPECT_TRUE(s.lb.tables.workedUpdated && s.lb.tables.gridUpdated);
  }
  EXPECT_TRUE(s.lb.grid->lines.empty());
  s.log({});
  EXPECT_EQ(readFile("WORKED.CFM"), odd + entity("JAPAN", cells({kMixed, kCw, k20Meters})));

  // Imported records pad with 0x00, which reads as the blank it shows: no entity, no QSL.
  writeFile("WORKED.CFM", entity("JAPAN") + "\r\n");
  s.log({.country = "", .comments = "$"});
  s.lb.record.setZeroPadded(Field::COUNTRY, "");
  updateWorkedTables(s.lb);
  EXPECT_EQ(readFile("WORKED.CFM"), entity("JAPAN") + "\r\n");
  s.lb.record.setZeroPadded(Field::COUNTRY, "JAPAN");
  s.lb.record.setZeroPadded(Field::SR, "");
  s.lb.record.setZeroPadded(Field::MODE, "CW");
  updateWorkedTables(s.lb);
  EXPECT_EQ(readFile("WORKED.CFM"), entity("JAPAN", cells({kMixed, kCw, k20Meters})) + "\r\n");

  std::filesystem::remove("WORKED.CFM");
  try {
    s.log({});
    FAIL() << "a missing WORKED.CFM must end the program";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
}

TEST(GridUpdate, SquaresAreAddedAndConfirmedAndTheFileRewrittenWhole) {
  Station s;
  writeFile("WORKED.CFM", entity("JAPAN") + "\r\n");
  s.lb.grid->lines = {"PM95 /", "QM06 / 599 tnx", "PM85"};
  writeFile("GRID.SQU", "untouched");

  s.log({.freq = "14.025", .comments = "#PM96"});                         // HF: no square
  s.log({.freq = "144.200", .comments = std::string(34, ' ') + "#PM9"});  // too few characters after "#"
  EXPECT_EQ(readFile("GRID.SQU"), "untouched");
  EXPECT_FALSE(s.lb.tables.gridUpdated);

  s.log({.freq = "50.125", .comments = std::string(33, ' ') + "#PM96"});
  EXPECT_EQ(readFile("GRID.SQU"), "PM95 /\r\nQM06 / 599 tnx\r\nPM85\r\nPM96 /\r\n");
  EXPECT_TRUE(s.lb.tables.gridUpdated);
  s.log({.freq = "144.200", .sr = " L", .comments = "ES #QM06 #PM95"});
  EXPECT_EQ(readFile("GRID.SQU"), "PM95 /\r\nQM06 X 599 tnx\r\nPM85\r\nPM96 /\r\n");
  s.log({.freq = "144.200", .sr = " L", .comments = "#QM06"});
  EXPECT_FALSE(s.lb.tables.gridUpdated);
  // A line too short for its status stays as it is, though the file is written again.
  writeFile("GRID.SQU", "stale");
  s.log({.freq = "144.200", .sr = " X", .comments = "#PM85"});
  EXPECT_TRUE(s.lb.tables.gridUpdated);
  EXPECT_EQ(readFile("GRID.SQU"), "PM95 /\r\nQM06 X 599 tnx\r\nPM85\r\nPM96 /\r\n");
}

TEST(GridUpdate, TableHasNoLimitAndTheExistingFileKeepsItsName) {
  Station s;
  writeFile("WORKED.CFM", entity("JAPAN") + "\r\n");
  s.lb.config.gridFileName = "GRID.SQU";
  for (int i = 0; i < 600; ++i) s.lb.grid->lines.push_back("SQ" + std::to_string(i) + " /");
  writeFile("grid.squ", "old");
  s.log({.freq = "50.1", .comments = "#JJ00"});
  std::vector<std::string> lines = splitLines(readFile("grid.squ"));
  ASSERT_EQ(lines.size(), 601u);
  EXPECT_EQ(lines.back(), "JJ00 /");
  EXPECT_FALSE(std::filesystem::exists("GRID.SQU"));
}

}  // namespace kivo
