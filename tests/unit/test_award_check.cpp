#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>

#include "awardsum/table_check.h"
#include "awardsum/table_rebuild.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/records/record_file.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/records.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::contact;
using testing::entityLine;
using testing::readFile;
using testing::recordBytes;
using testing::writeFile;

namespace {

constexpr int k40Meters = 11, k20Meters = 13;

LogRecord qso(const std::string& country, const std::string& sr, const std::string& freq = "14.025",
              const std::string& mode = "CW", const std::string& comments = "") {
  LogRecord r = contact("Q", "01 JAN 26", sr, country);
  r.set(Field::FREQ, freq);
  r.set(Field::MODE, mode);
  r.set(Field::COMMENTS, comments);
  r.setSeparators();
  return r;
}

std::string withMarks(std::string line, std::map<int, char> marks) {
  for (auto [k, mark] : marks) line[static_cast<size_t>(markColumn(k) - 1)] = mark;
  return line;
}

// A small station whose tables say exactly what its log supports: USA confirmed on
// 20 m CW, GERMANY confirmed on 6 m SSB with the square JO50.
struct Tables {
  std::string usa = withMarks(entityLine("K", "USA"), {{kMixed, 'X'}, {kCw, 'X'}, {k20Meters, 'X'}});
  std::string germany = withMarks(entityLine("DL", "GERMANY"), {{kMixed, 'X'}, {kPhone, 'X'}, {k6Meters, 'X'}});
  std::string grid = "JO50 X\r\n";
  std::map<std::string, std::string> logs = {
      {"LOGMAIN.DAT", recordBytes(qso("USA", " X")) + recordBytes(qso("GERMANY", " X", "50.1", "SSB", "#JO50"))}};
  std::vector<std::string> logNames;

  void write() const {
    writeFile("WORKED.CFM", "TABLE\r\n" + usa + "\r\n" + germany + "\r\nEND\r\n");
    writeFile("GRID.SQU", grid);
    for (const auto& [name, bytes] : logs) writeFile(name, bytes);
  }
};

struct Output {
  std::string out, err;
  int status = -1;
};

Output run(const std::function<int(const CheckFiles&, std::FILE*, std::FILE*)>& command, const CheckFiles& files) {
  Output o;
  char *out = nullptr, *err = nullptr;
  size_t outSize = 0, errSize = 0;
  std::FILE* o1 = open_memstream(&out, &outSize);
  std::FILE* o2 = open_memstream(&err, &errSize);
  o.status = command(files, o1, o2);
  std::fclose(o1);
  std::fclose(o2);
  o.out.assign(out, outSize);
  o.err.assign(err, errSize);
  std::free(out);
  std::free(err);
  return o;
}

// The report without its summary line.
std::string findings(const std::string& report) {
  size_t last = report.rfind("summary: ");
  return last == std::string::npos ? report : report.substr(0, last);
}

}  // namespace

TEST(AwardCheck, EachKindOfDisagreementIsListedOnce) {
  struct Case {
    const char* what;
    std::function<void(Tables&)> change;
    std::string expected;  // the lines before the summary
  };
  const std::vector<Case> cases = {
      {"agree", [](Tables&) {}, ""},
      {"missed mark",
       [](Tables& t) {
         t.usa = withMarks(t.usa, {{kCw, '\\'}});
       },
       "WORKED.CFM:2: USA          CW         file \"\\\" logs \"X\": missed, the logs support more\n"},
      {"unsupported mark",
       [](Tables& t) {
         t.germany = withMarks(t.germany, {{k40Meters, 'L'}});
       },
       "WORKED.CFM:3: GERMANY      40 METERS  file \"L\" logs \" \": unsupported, no contact in the logs supports "
       "it\n"},
      {"C cells",
       [](Tables& t) {
         t.usa = withMarks(t.usa, {{kMixed, 'C'}});            // a confirmation supports it
         t.germany = withMarks(t.germany, {{kDigital, 'C'}});  // nothing does
       },
       "WORKED.CFM:3: GERMANY      DIGITAL    file \"C\" logs \" \": unsupported, no contact in the logs supports "
       "it\n"},
      {"missing square", [](Tables& t) { t.grid = "FN31 / 599\r\n"; },
       "GRID.SQU:1: FN31 file \"/\" logs -: unsupported, no contact in the logs supports it\n"
       "GRID.SQU: JO50 file - logs \"X\": missed, the logs support more\n"},
      {"unconfirmed square", [](Tables& t) { t.grid = "JO50 / tnx\r\nJO50 X\r\n"; },
       "GRID.SQU:1: JO50 file \"/\" logs \"X\": missed, the logs support more\n"
       "GRID.SQU:2: JO50 file \"X\" logs \"X\": unsupported, a second line of the square\n"},
      {"entity without a line",
       [](Tables& t) { t.logs["LOGMAIN.DAT"] += recordBytes(qso("JAPAN", "  ")) + recordBytes(qso("JAPAN", " X")); },
       "WORKED.CFM: no line for \"JAPAN\": 2 contacts\n"},
      {"two logs",  // the confirmations come from the second log
       [](Tables& t) {
         t.logs["LOGMAIN.DAT"] = recordBytes(qso("USA", "  "));
         t.logs["2026.DAT"] = recordBytes(qso("GERMANY", " X", "50.1", "SSB", "#JO50")) + recordBytes(qso("USA", "X "));
         t.logs["2027.DAT"] = recordBytes(qso("USA", " X"));
         t.logNames = {"LOGMAIN.DAT", "2026.DAT", "2027.DAT"};
       },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempDir dir;
    Tables t;
    c.change(t);
    t.write();
    const Output o = run(runCheck, {.logs = t.logNames});
    EXPECT_EQ(findings(o.out), c.expected);
    EXPECT_EQ(o.status, c.expected.empty() ? 0 : 1);
    EXPECT_EQ(o.err, "");
  }
}

TEST(AwardCheck, SummaryCountsEveryCellAndSquare) {
  testing::TempDir dir;
  Tables t;
  t.usa = withMarks(t.usa, {{kCw, ' '}, {kQrp, '\\'}});
  t.grid = "JO50 X\r\nFN31 /\r\nPM8\r\n";
  t.logs["LOGMAIN.DAT"] += recordBytes(qso("?", " X")) + recordBytes(qso("NOWHERE", " "));
  t.write();
  const std::string report = run(runCheck, {}).out;
  EXPECT_EQ(report.substr(report.rfind("summary: ")),
            "summary: 2 entity lines, 34 cells agree, 1 missed, 1 unsupported; 1 squares agree, 0 missed, 1 "
            "unsupported; 4 contacts, 1 without a line\n");
}

TEST(AwardCheck, MarksCompareByWhatTheyCount) {
  struct Case {
    char file, logs;
    Verdict verdict;
  };
  for (const Case& c : std::vector<Case>{{' ', ' ', Verdict::kAgrees},
                                         {'*', '\\', Verdict::kAgrees},
                                         {'c', 'B', Verdict::kAgrees},
                                         {'C', '\\', Verdict::kUnsupported},
                                         {'x', 'X', Verdict::kMissed},
                                         {'X', 'L', Verdict::kUnsupported},
                                         {'L', 'B', Verdict::kMissed},
                                         {'B', 'X', Verdict::kUnsupported},
                                         {'\\', ' ', Verdict::kUnsupported},
                                         {' ', '\\', Verdict::kMissed}})
    EXPECT_EQ(compareMark(c.file, c.logs), c.verdict) << c.file << " " << c.logs;
}

// The same contacts saved one by one through the logbook (Alt-U from record 1 on a
// blank table) and rebuilt from damaged tables give the same bytes.
TEST(AwardRebuild, GivesTheLogbooksOwnTablesKeepsBackupsAndYieldsToARunningLogbook) {
  std::string log;
  for (const LogRecord& r : {qso("USA", "  "), qso("USA", " X", "7.02"), qso("HAWAII", " L", "50.1", "FT8", "#BL11"),
                             qso("GERMANY", "  ", "144.3", "SSB", "#JO62"), qso("USA", " B", "50.2", "CW", "#FN31"),
                             qso("GERMANY", " X", "144.3", "SSB", "#JO62"), qso("JAPAN", " X")})
    log += recordBytes(r);
  testing::Station s(log);
  // Credits: one a contact confirms, one no contact does (it stays all the same).
  const std::string credited = withMarks(entityLine("KH6", "HAWAII"), {{kMixed, 'C'}, {kSatellite, 'C'}});
  const std::string blank = "WORKED TABLE\r\n" + entityLine("K", "USA") + "\r\n" + entityLine("DL", "GERMANY") +
                            "\r\n" + credited + "\r\nDELETED\r\nEND\r\n";
  writeFile("WORKED.CFM", blank);
  s.terminal.ext(keys::kHome).ext(keys::kAltU);
  s.run();
  ASSERT_EQ(s.lb.browse.currentRecord, 8);
  const std::string worked = readFile("WORKED.CFM"), grid = readFile("GRID.SQU");
  ASSERT_EQ(grid, "BL11 X\r\nJO62 X\r\nFN31 X\r\n");

  // Damage: a mark lost, one no contact made, a letter typed into a cell, a square
  // lost, a confirmation lost and a square never worked.
  std::string damaged = worked;
  for (auto [line, k, mark] : {std::tuple{1, kCw, ' '}, {1, kQrp, 'X'}, {2, kPhone, 'A'}}) {
    const size_t start = damaged.find(entityLine(line == 1 ? "K" : "DL", line == 1 ? "USA" : "GERMANY").substr(0, 28));
    damaged[start + static_cast<size_t>(markColumn(k) - 1)] = mark;
  }
  const std::string damagedGrid = "BL11 X\r\nPM95 /\r\nJO62 / tnx\r\n";
  writeFile("WORKED.CFM", damaged);
  writeFile("GRID.SQU", damagedGrid);
  const Output refused = run(runRebuild, {});
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.err.find("a running logbook holds the tables of this station"), std::string::npos);
  EXPECT_EQ(readFile("WORKED.CFM"), damaged);
  EXPECT_FALSE(testing::exists("WORKED.CFM.bak"));

  s.lb.tableLocks.clear();  // the logbook has ended
  const Output done = run(runRebuild, {});
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.out,
            "summary: 3 entity lines, 50 cells agree, 2 missed, 2 unsupported; 1 squares agree, 2 missed, 1 "
            "unsupported; 7 contacts, 1 without a line\n"
            "WORKED.CFM: 3 cells rewritten, the old table kept as WORKED.CFM.bak\n"
            "GRID.SQU: 3 squares, the old table kept as GRID.SQU.bak\n");
  EXPECT_EQ(readFile("WORKED.CFM"), worked);
  EXPECT_EQ(readFile("GRID.SQU"), "BL11 X\r\nJO62 X tnx\r\nFN31 X\r\n");
  EXPECT_EQ(readFile("WORKED.CFM.bak"), damaged);
  EXPECT_EQ(readFile("GRID.SQU.bak"), damagedGrid);

  // A second rebuild has nothing to change; the credit and the entity without a line
  // are still listed.
  const Output again = run(runRebuild, {});
  EXPECT_EQ(again.out.substr(again.out.find('\n') + 1), "WORKED.CFM: unchanged\nGRID.SQU: unchanged\n");
  EXPECT_EQ(
      run(runCheck, {}).out,
      "WORKED.CFM:4: HAWAII       SATELLITE  file \"C\" logs \" \": unsupported, no contact in the logs supports it\n"
      "WORKED.CFM: no line for \"JAPAN\": 1 contact\n" +
          checkSummary(checkTables({})));
}

// The award check reads every contact of a log, so the rules read a record the fast
// way; it must be what the plain definitions say, odd bytes and edges included.
TEST(WorkedRules, AContactReadsAsThePlainDefinitionsSay) {
  const std::vector<std::string> numbers = {"14.025",
                                            "07.0250 ",
                                            std::string("14.0\0"
                                                        "99",
                                                        7),
                                            "1 4",
                                            "-3.5",
                                            "+7",
                                            ".5",
                                            "5.",
                                            "1.2.3",
                                            "\t7.01",
                                            "123456789012345678",
                                            "0.1",
                                            "abc",
                                            ""};
  const std::string alphabet = std::string(" SAT#$Xs", 8) + std::string(1, '\0');
  std::mt19937 random(25);
  for (int i = 0; i < 3000; ++i) {
    LogRecord r = qso("USA", " X");
    // Half the fields from the list, half made of the bytes a number field holds.
    auto number = [&] {
      if (random() % 2) return numbers[random() % numbers.size()];
      std::string made(random() % 9, ' ');
      for (char& ch : made) ch = std::string("0123456789. \0", 13)[random() % 13];
      return made;
    };
    r.setZeroPadded(Field::FREQ, number());
    r.setZeroPadded(Field::PWR, number());
    std::string comment(38, ' ');
    for (char& c : comment) c = alphabet[random() % alphabet.size()];
    r.set(Field::COMMENTS, comment);
    std::string country(12, ' ');
    for (char& ch : country) ch = "JA? \0"[random() % 5];
    r.set(Field::COUNTRY, country);
    std::replace(country.begin(), country.end(), '\0', ' ');
    const TableContact c = readContact(r);
    ASSERT_EQ(c.countryText(), country);
    ASSERT_EQ(c.hasEntity(), country[0] != ' ' && country.find('?') == std::string::npos) << country;
    std::string shown = r.get(Field::COMMENTS);
    std::replace(shown.begin(), shown.end(), '\0', ' ');
    ASSERT_EQ(c.mhz, static_cast<float>(parseNumber(r.get(Field::FREQ)))) << r.get(Field::FREQ);
    const double power = parseNumber(r.get(Field::PWR));
    ASSERT_EQ(c.qrp, power >= 1 && power <= 5) << r.get(Field::PWR);
    ASSERT_EQ(c.satellite, shown.find(" SAT") != std::string::npos) << shown;
    ASSERT_EQ(c.hashAt, shown.find('#') == std::string::npos ? -1 : static_cast<int>(shown.find('#'))) << shown;
    ASSERT_EQ(std::string(c.tag()), contactTag(shown)) << shown;
  }
}

// The check works contacts out ahead on two threads and skips those whose cells
// have settled; over a long and varied log it must come to exactly what applying
// every contact in turn with the logbook's rules gives.
TEST(AwardCheck, ALongLogReplaysAsItsContactsAppliedOneByOne) {
  testing::TempDir dir;
  std::vector<std::string> lines = {entityLine("K", "USA"),       entityLine("K $NY", "USA"),
                                    entityLine("K $CA", "USA"),   entityLine("DL", "GERMANY"),
                                    entityLine("DL", "GERMANY"),  entityLine("PJ2", "CURACAO"),
                                    entityLine("JA $13", "JAPAN")};
  std::vector<std::string> countries = {"USA", "GERMANY", "CURACAO", "JAPAN", "MARS", "USA?"};
  // Many entities and few confirmations, so that cells end in every state.
  for (int e = 0; e < 150; ++e) {
    countries.push_back("E" + std::to_string(e));
    lines.push_back(entityLine("P", countries.back()));
  }
  std::string table = "TABLE\r\n";
  for (const std::string& line : lines) table += line + "\r\n";
  writeFile("WORKED.CFM", table + "END\r\n");
  writeFile("GRID.SQU", "");
  const char* freqs[] = {"14.025", "7.01", "50.1", "144.2", "3.5", "1296", ""};
  const char* modes[] = {"CW", "SSB", "FT8", "FM"};
  const char* comments[] = {"", "#JO50", "#FN31 SAT", " SAT", "$NY", "$CA #FN20", "$13", "TNX $XX"};
  const char* marks[] = {" X", " L", " B", " x", " Q"};
  const char* dates[] = {"01 JAN 26", "09 OCT 10", "11 OCT 10"};
  std::mt19937 random(7);
  std::string log;
  WorkedLines expected;
  expected.read(table + "END\r\n");
  std::vector<std::string> squares;
  std::map<std::string, long long> without;
  std::vector<size_t> changed;
  constexpr int kContacts = 40000;  // several rounds of the threads
  for (int i = 0; i < kContacts; ++i) {
    LogRecord r = qso(countries[random() % countries.size()], random() % 20 ? "  " : marks[random() % 5],
                      freqs[random() % 7], modes[random() % 4], comments[random() % 8]);
    r.set(Field::DATE, dates[random() % 3]);
    r.set(Field::PWR, random() % 4 ? "100" : "5");
    r.setSeparators();
    log += recordBytes(r);
    const TableContact c = readContact(r);
    if (!c.hasEntity()) continue;
    if (c.touchesGrid() && !contactSquare(c).empty())
      applyToSquare(squares, findSquare(squares, contactSquare(c)), contactSquare(c), c.received);
    if (applyToWorkedLines(expected, c, changed).selected) continue;
    std::string name(c.countryText());
    ++without[name.erase(name.find_last_not_of(' ') + 1)];
  }
  writeFile("LOGMAIN.DAT", log);
  const TableCheck check = checkTables({});
  EXPECT_EQ(check.contacts, kContacts);
  EXPECT_EQ(check.supported.lines, expected.lines);
  EXPECT_EQ(check.supportedSquares, squares);
  EXPECT_EQ(check.withoutLine, without);
}

TEST(AwardCheck, UnreadableFilesEndInStatusTwo) {
  testing::TempDir dir;
  Tables t;
  t.write();
  writeFile("OLD.DAT",
            "01 JAN 26\xFF"
            "14.025  \xFF"
            "CW  \r\n");
  for (const CheckFiles& files : {CheckFiles{.logs = {"MISSING.DAT"}}, CheckFiles{.logs = {"OLD.DAT"}},
                                  CheckFiles{.worked = "NONE.CFM", .logs = {}}, CheckFiles{.grid = ".", .logs = {}}}) {
    const Output o = run(runCheck, files);
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.rfind("awardsum: Aborting due to runtime error ", 0), 0u) << o.err;
  }
}

}  // namespace kivo
