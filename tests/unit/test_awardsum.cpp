#include <gtest/gtest.h>

#include "awardsum/awardsum.h"
#include "common/fatal.h"
#include "common/text.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::TempDir;
using testing::writeFile;

namespace {

// An entity line of 79 bytes with `marks` placed at the given columns.
std::string entity(const std::string& name, const std::vector<std::pair<int, char>>& marks = {}) {
  std::string line = fitWidth("ZZ", 16) + fitWidth(name, 12) + std::string(14, ' ');
  for (int column = 43; column <= 79; column += 2) line += std::string(1, '\xB3') + (column < 79 ? " " : "");
  for (auto [column, mark] : marks) line[static_cast<size_t>(column - 1)] = mark;
  return line;
}

// A row as it should read: texts placed at their columns on a blank row.
std::string row(const std::vector<std::pair<int, std::string>>& parts) {
  std::string out(80, ' ');
  for (const auto& [column, text] : parts) out.replace(static_cast<size_t>(column - 1), text.size(), text);
  return out;
}

std::string categoryRow(const char* caption, const std::string& worked, const std::string& confirmed,
                        const std::string& credited) {
  return row({{1, caption}, {33, worked}, {48, confirmed}, {63, credited}});
}

struct AwardSum {
  TempDir dir;
  ScriptedTerminal terminal;
  Console console{terminal};
  int run(const std::vector<std::string>& args = {}) { return runAwardSum(console, args); }
  std::string text(int r) const { return console.screen().rowText(r); }
};

}  // namespace

TEST(AwardSum, EmptyTableShowsZeroPairsInYellowOnBlue) {
  AwardSum a;
  writeFile("WORKED.CFM", "ENTITY           NAME\r\n\r\nEND\r\n");
  writeFile("GRID.SQU", "");
  a.terminal.key("q");
  EXPECT_EQ(a.run(), 0);
  EXPECT_TRUE(a.terminal.scriptDone());
  EXPECT_EQ(a.text(1), row({{33, "WORKED       CONFIRMED      DXCC CREDIT"}}));
  EXPECT_EQ(a.text(2), row({}));
  EXPECT_EQ(a.text(3), categoryRow("MIXED", " 0/ 0", " 0/ 0", " 0/ 0"));
  EXPECT_EQ(a.text(20), categoryRow("6 METERS", " 0/ 0", " 0/ 0", " 0/ 0"));
  EXPECT_EQ(a.text(21), row({}));
  EXPECT_EQ(a.text(22), row({{1, "TOTAL BAND COUNTRIES (160-6)  0/ 0/ 0 Chall  0/ 0/ 0"}}));
  EXPECT_EQ(a.text(23), row({{1, "TOTAL ARRL DXCC COUNTRIES   0/ 0"}}));
  EXPECT_EQ(a.text(24), row({{1, "TOTAL VHF GRID SQUARES WORKED IS  0 CONFIRMED IS  0"}}));
  EXPECT_EQ(a.text(25), row({{1, "Press any key or click this word EXIT to exit"}}));
  for (int r = 1; r <= 25; ++r)
    for (int c = 1; c <= 80; ++c) {
      const Cell& cell = a.console.screen().cellAt(r, c);
      ASSERT_TRUE(cell.fg == 14 && cell.bg == 1) << r << "," << c;
    }
}

TEST(AwardSum, MarksAreCountedByClassAndSection) {
  AwardSum a;
  writeFile("WORKED.CFM", "HEADING\r\n" + entity("A", {{44, 'C'}, {48, 'x'}}) + "\r\n" +
                              entity("B", {{44, 'X'}, {62, 'L'}, {68, 'B'}}) + "\r\n" +
                              entity("C", {{44, '\\'}, {56, 'C'}}) + "\n" + " " +
                              entity("INDENTED", {{44, 'C'}}).substr(1) + "\r\n" +
                              entity("SHORT", {{44, 'C'}}).substr(0, 78) + "\r\n" + "---- DELETED ----\r\n" +
                              entity("GONE", {{44, 'B'}, {68, 'X'}}) + "\r\n" + entity("DELETED TOO", {{46, '\\'}}) +
                              "\r\n" + "END of table\r\n" + entity("AFTER END", {{44, 'C'}}) + "\r\n");
  writeFile("GRID.SQU", "FN31 /\r\nFN32 X\r\nFN33 X more\r\nFN34X\r\nFN3\r\n");
  a.terminal.key("\r");
  a.run();
  EXPECT_EQ(a.text(3), categoryRow("MIXED", " 4/ 3", " 3/ 2", " 2/ 1"));
  EXPECT_EQ(a.text(4), categoryRow("PHONE", " 1/ 0", " 0/ 0", " 0/ 0"));
  EXPECT_EQ(a.text(5), categoryRow("CW", " 1/ 1", " 0/ 0", " 0/ 0"));
  EXPECT_EQ(a.text(9), categoryRow("630 METERS", " 1/ 1", " 1/ 1", " 1/ 1"));
  EXPECT_EQ(a.text(12), categoryRow("60 METERS", " 1/ 1", " 1/ 1", " 1/ 1"));
  EXPECT_EQ(a.text(15), categoryRow("20 METERS", " 2/ 1", " 2/ 1", " 1/ 1"));
  // 60 m counts for the bands but not the challenge; 630 m for neither; deleted only for the bands.
  EXPECT_EQ(a.text(22), row({{1, "TOTAL BAND COUNTRIES (160-6)  3/ 3/ 2 Chall  1/ 1/ 1"}}));
  EXPECT_EQ(a.text(23), row({{1, "TOTAL ARRL DXCC COUNTRIES   5/ 3"}}));
  EXPECT_EQ(a.text(24), row({{1, "TOTAL VHF GRID SQUARES WORKED IS  3 CONFIRMED IS  2"}}));
}

TEST(AwardSum, CommandLineNamesTheFilesAndATableWithoutEndIsReadToItsEnd) {
  AwardSum a;
  writeFile("my.cfm", entity("A", {{44, 'X'}}) + "\r\n" + entity("B"));
  writeFile("vhf.squ", "JO31 /");
  a.terminal.key("x");
  EXPECT_EQ(a.run({"f3=my.cfm", "IGNORED", "f4=vhf.squ"}), 0);
  EXPECT_EQ(a.text(3), categoryRow("MIXED", " 1/ 1", " 1/ 1", " 0/ 0"));
  EXPECT_EQ(a.text(23), row({{1, "TOTAL ARRL DXCC COUNTRIES   2/ 2"}}));
  EXPECT_EQ(a.text(24), row({{1, "TOTAL VHF GRID SQUARES WORKED IS  1 CONFIRMED IS  0"}}));
}

TEST(AwardSum, MissingFilesEndTheRunAtTheirPlace) {
  AwardSum a;
  try {
    a.run();
    FAIL() << "a missing worked file must end the program";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
  EXPECT_EQ(a.text(1), row({}));

  writeFile("WORKED.CFM", "END\r\n");
  try {
    a.run();
    FAIL() << "a missing grid file must end the program";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
  EXPECT_EQ(a.text(23), row({{1, "TOTAL ARRL DXCC COUNTRIES   0/ 0"}}));
  EXPECT_EQ(a.text(24), row({}));
}

TEST(AwardSum, OnlyALeftClickOnTheWordExitEnds) {
  for (int column : {33, 34, 37, 41, 45}) {  // the blank before EXIT, its letters, the last word
    AwardSum a;
    writeFile("WORKED.CFM", "END\r\n");
    writeFile("GRID.SQU", "");
    a.terminal.mouse(24, column - 1, false).mouse(24, column - 1, true);
    EXPECT_EQ(a.run(), 0) << column;
    EXPECT_TRUE(a.terminal.scriptDone()) << column;
  }
  for (std::pair<int, int> cell : {std::pair{25, 28}, {25, 38}, {1, 34}, {25, 80}}) {
    AwardSum a;
    writeFile("WORKED.CFM", "END\r\n");
    writeFile("GRID.SQU", "");
    a.terminal.mouse(24, 33, false).mouse(24, 33, false).click(cell.first, cell.second);
    EXPECT_THROW(a.run(), ScriptEnded) << cell.first << "," << cell.second;  // still waiting
  }
}

}  // namespace kivo
