#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "common/fatal.h"
#include "common/text.h"
#include "menu_support.h"
#include "tests/support/file_bytes.h"

namespace kivo {
using testing::callsOf;
using testing::menu;
using testing::readFile;
using testing::recordBytes;
using testing::Station;
using testing::writeFile;

namespace {

LogRecord qso(const std::string& call, const std::string& freq, const std::string& country = "USA",
              const std::string& sr = "  ", const std::string& mode = "CW") {
  LogRecord r = testing::contact(call, "01 JAN 26", sr, country);
  r.set(Field::FREQ, freq);
  r.set(Field::MODE, mode);
  r.setSeparators();
  return r;
}

std::string bytesOf(const std::vector<LogRecord>& log) {
  std::string bytes;
  for (const LogRecord& r : log) bytes += recordBytes(r);
  return bytes;
}

// The records of `log` with the calls named (blank-separated), in log order.
std::string picked(const std::vector<LogRecord>& log, const std::string& calls) {
  std::string bytes;
  const std::string wanted = " " + calls + " ";
  for (const LogRecord& r : log) {
    std::string call = r.get(Field::STATION);
    call.erase(call.find_last_not_of(' ') + 1);
    if (wanted.find(" " + call + " ") != std::string::npos) bytes += recordBytes(r);
  }
  return bytes;
}

// An entity line of WORKED.CFM with marks put into its cells (column, mark).
std::string entity(const std::string& name, std::initializer_list<std::pair<int, char>> marks = {},
                   const std::string& lead = "") {
  std::string line = testing::entityLine(lead, name);
  for (auto [column, mark] : marks) line[static_cast<size_t>(column - 1)] = mark;
  return line + "\r\n";
}

// The screen's rows, trailing blanks cut, one per line.
std::string screenText(const Station& s) {
  std::string out;
  for (int r = 1; r <= 25; ++r) {
    std::string row = s.row(r);
    row.erase(row.find_last_not_of(' ') + 1);
    out += row + "\n";
  }
  return out;
}

struct Run {
  std::string choice;
  std::string answer;
  std::string expectedCalls;
};

// One report over `log` per case, each in a station of its own; the new file is
// compared byte for byte with the records it should hold.
void checkRuns(
    const std::vector<LogRecord>& log, const std::vector<Run>& runs,
    const std::function<void(Station&)>& prepare = [](Station&) {}) {
  for (const Run& run : runs) {
    Station s(bytesOf(log));
    menu(s, run.choice, "OUT.DAT", run.answer);
    prepare(s);  // the tables, and keys beyond the answer
    s.run();
    ASSERT_TRUE(s.scriptEnded) << run.answer;
    EXPECT_EQ(readFile("OUT.DAT"), picked(log, run.expectedCalls))
        << run.choice << " [" << run.answer << "] gave " << callsOf(readFile("OUT.DAT"));
    EXPECT_EQ(s.lb.logFileName, "OUT.DAT");
  }
}

}  // namespace

TEST(BandSelection, KeysFoundAnywhereInTheAnswerWithThisReportsBounds) {
  const std::vector<LogRecord> log = {
      qso("A160", "1.8"),     qso("B10", "28.5"),    qso("C30EDGE", "30.0"), qso("D30EDGE", "30.00000"),
      qso("E27EDGE", "27.9"), qso("F29", "29.99"),   qso("G50", "50.1"),     qso("H144", "144.2"),
      qso("I222", "222.1"),   qso("J12", "24.9"),    qso("K20", "  14.2"),   qso("L60", "5.35"),
      qso("M630", "0.475"),   qso("N70", "446.0"),   qso("O30", "10.1"),     qso("P80", "3.5"),
      qso("Q145", "145.0"),   qso("R21", "21.2abc"), qso("S160HI", "2.09"),  qso("TBLANK", ""),
  };
  checkRuns(log, {
                     {"1", "10", "B10 F29"},  // not on a bound, in single precision (27.9 is above 27.9f)
                     {"1", "160", "A160 S160HI"},
                     {"1", "6M 2M", "G50 H144 Q145"},
                     {"1", "120", "J12 K20"},
                     {"1", "160/80", "A160 P80 S160HI"},
                     {"1", "70cm 15", "N70 R21"},
                     {"1", "60", ""},      // 60 m and 630 m have no key
                     {"1", "630", "O30"},  // ... and 630 holds the key of 30 m
                     {"1", "", ""},
                     {"1", "6M,10", "G50"},  // one input item: the comma ends it
                 });
}

TEST(SelectionReports, QuestionsBelowTheMenuTheGeneralOneOnAClearedScreen) {
  Station s(bytesOf({qso("A", "14.2")}));
  menu(s, "1", "OUT.DAT");
  s.run();  // the answer is awaited
  EXPECT_EQ(s.text(18, 1, 67), "What bands do you want? (160 80 40 30 20 17 15 12 10 6M 2M 70CM) ? ");
  EXPECT_EQ(s.screen().cursorRow(), 19);
  Station u(bytesOf({qso("A", "14.2")}));
  menu(u, "2", "OUT.DAT");
  u.run();
  EXPECT_EQ(u.text(18, 1, 50), "Select mode or Band Countries (MIXED SSB CW BAND) ");
  EXPECT_EQ(u.screen().cursorRow(), 19);
  Station t(bytesOf({qso("A", "14.2")}));
  menu(t, "4", "OUT.DAT");
  t.run();
  EXPECT_EQ(t.text(1, 1, 58), "Make a character string to specify the records to select. ");
  EXPECT_EQ(t.text(3, 1, 80), std::string(80, ' '));
  EXPECT_EQ(t.text(11, 1, 26), "  F6=   for QSL S/R field ");
  EXPECT_EQ(t.text(14, 1, 28), "Enter your character string ");
  EXPECT_EQ(t.screen().cursorRow(), 15);
}

TEST(GeneralReport, KeysOfTheFieldStringJoinedByOr) {
  auto r = [](const std::string& call, const std::string& date, const std::string& mode, const std::string& pwr,
              const std::string& country, const std::string& sr = "  ", const std::string& comments = "") {
    LogRecord rec = testing::contact(call, date, sr, country);
    rec.set(Field::MODE, mode);
    rec.set(Field::PWR, pwr);
    rec.set(Field::COMMENTS, comments);
    rec.setSeparators();
    return rec;
  };
  const std::vector<LogRecord> log = {
      r("JA1", "05 DEC 25", "SSB", "100", "JAPAN"),
      r("W5", "26 JAN 24", "CW", "5", "USA"),
      r("W45", "01 MAR 26", "FT8", "4.5", "USA"),
      r("W55", "10 JUL 23", "SSB", "5.5", "USA"),
      r("DL200", "12 FEB 20", "SSB", "200", "GERMANY", "X ", "SEE YOU"),
      r("K10W", "12 FEB 20", "CW", "10W", "USA", "  ", "SEE F1=X"),
      r("K1ABC", "12 FEB 20", "CW", "QRO", "USA"),
  };
  checkRuns(log, {
                     {"4", "F5=JAPAN;F3<6", "JA1 W5 W45 K1ABC"},  // QRO reads as 0 W
                     {"4", "F2=CW", "W5 K10W K1ABC"},
                     {"4", "F3>100;F3>5", "DL200"},
                     {"4", "F1=DEC;", "JA1"},
                     {"4", "F1=26;", "W5 W45"},             // the 26th day and the year 26 alike
                     {"4", "F3<5", "W45 K1ABC"},            // 4.5 rounds to 4
                     {"4", "F3>5;", "JA1 W55 DL200 K10W"},  // 5.5 rounds to 6
                     {"4", "F3<5.5", "W5 W45 K1ABC"},       // the value is not rounded
                     {"4", "", ""},
                     {"4", "F7=SEE F1=X;", "K10W"},
                     {"4", "F7=SEE F1=DEC;", "JA1"},  // F1 taken from inside F7's value
                     {"4", "f4=k1a;f6=X", "DL200 K1ABC"},
                     {"4", "F5=USA ;", "W5 W45 W55 K10W K1ABC"},  // the field's trailing blanks count
                     {"4", "F5=;F9=1;JUNK", ""},
                     {"4", "F2=SSB,F5=JAPAN", "JA1 W55 DL200"},  // the comma ends the input item
                 });
}

TEST(UnconfirmedReport, CategoryQslTestAndMarks) {
  const std::vector<LogRecord> qsls = {
      qso("NONE", "14.2", "USA", "  "), qso("SENT", "14.2", "USA", "X "), qso("RCVD", "14.2", "USA", " X"),
      qso("BOTH", "14.2", "USA", "XX"), qso("LOTW", "14.2", "USA", "L "),
  };
  auto blankTable = [](Station&) { writeFile("WORKED.CFM", entity("USA") + "END\r\n"); };
  checkRuns(qsls, {{"2", "MIXED", "NONE SENT LOTW"}, {"3", "mixed", "NONE"}}, blankTable);

  // MIXED with each mark in column 44: only X, C, L and B (in either case) confirm.
  for (const char mark : {' ', '\\', '?', 'x', 'X', 'C', 'L', 'B', 'c', 'l', 'b'}) {
    const bool unconfirmed = std::string(" \\?").find(mark) != std::string::npos;
    checkRuns({qso("W1", "14.2")}, {{"2", "MIXED", unconfirmed ? "W1" : ""}}, [&](Station&) {
      writeFile("WORKED.CFM", entity("USA", {{44, mark}}) + "END\r\n");
    });
  }

  // Mode categories: the first of MIXED, CW, SSB named decides, with only its mode.
  const std::vector<LogRecord> modes = {qso("CW1", "14.2", "USA", "  ", "CW"), qso("SSB1", "14.2", "USA", "  ", "SSB"),
                                        qso("FT1", "14.2", "USA", "  ", "FT8")};
  auto modeTable = [](Station&) { writeFile("WORKED.CFM", entity("USA", {{46, 'X'}, {48, '\\'}}) + "END\r\n"); };
  checkRuns(modes, {{"2", "CW SSB", "CW1"}, {"2", "SSB", ""}, {"2", "SSB MIXED", "CW1 SSB1 FT1"}}, modeTable);
}

TEST(UnconfirmedReport, BandModeTakesEachContactsBandAndPassesOverTheRest) {
  // 160 m open, 20 m confirmed, 10 m and 60 m open.
  auto table = [](Station&) { writeFile("WORKED.CFM", entity("USA", {{68, 'X'}}) + "END\r\n"); };
  const std::vector<LogRecord> log = {
      qso("V144", "144.2"),                         // first, in no band: not checked in the 60 m column
      qso("T160", "1.85"),  qso("T29OUT", "29.8"),  // after an open band: still passed over
      qso("T20", "14.2"),   qso("T29IN", "29.69"), qso("T29EDGE", "29.7"),
      qso("T60", "5.35"),   qso("T20HI", "14.36"),  // outside this report's 20 m, inside the award table's
  };
  checkRuns(log, {{"2", "", "T160 T29IN T60"}, {"2", "BAND", "T160 T29IN T60"}, {"3", "40", "T160 T29IN T60"}}, table);
}

TEST(UnconfirmedReport, EntityNameFoundAnywhereInColumns17To78) {
  const std::string usa = fitWidth("USA", 12);
  auto table = [&](Station&) {
    writeFile("WORKED.CFM",
              entity("OTHER", {}, usa) +                                      // the name in columns 1-16: not searched
                  "SHORT USA\r\n" +                                           // too short to hold it
                  entity("NORTH USA", {{44, 'X'}, {48, 'X'}}) +               // "USA" and 9 blanks: the first match
                  entity("USA") + entity("JAPAN") +                           //
                  entity("FILLER", {{44, 'X'}}).insert(79, "KOREA       ") +  // beyond column 78: not searched
                  entity("KOREA", {{48, 'B'}}) + "END\r\n");
  };
  checkRuns({qso("W1", "14.2", "USA"), qso("JA1", "14.2", "JAPAN"), qso("HL1", "14.2", "KOREA")},
            {{"2", "MIXED", "JA1 HL1"}, {"2", "CW", "JA1"}}, table);
}

TEST(UnconfirmedReport, MissingEntityWaitsForAKeyUnknownOrNoneIsPassedOverSilently) {
  LogRecord imported = qso("ZZ1", "14.2", "");
  imported.setZeroPadded(Field::COUNTRY, "");
  // A blank name must not be found in the USA line's blanks and judged by its cell.
  const std::vector<LogRecord> log = {
      qso("W1", "14.2", "USA"), qso("JA1", "14.2", "JAPAN"), qso("XX1", "14.2", "?"), qso("NN1", "14.2", ""), imported,
      qso("W2", "14.2", "USA"), qso("HL1", "14.2", "KOREA"), qso("W3", "14.2", "USA")};
  const std::string table = entity("USA") + "END\r\n";
  {
    Station s(bytesOf(log));
    writeFile("WORKED.CFM", table);
    menu(s, "2", "OUT.DAT", "MIXED");
    s.terminal.type("k");  // for JAPAN; the script ends at the wait for KOREA
    s.run();
    ASSERT_TRUE(s.scriptEnded);
    const std::string shown = screenText(s);
    const std::string message =
        "Check the spelling of the country in your log with\n"
        "the WORKED.CFM file spelling.\n\n"
        "Press any key to continue the search.\n";
    EXPECT_NE(shown.find("Searching\nCountry JAPAN        not found\n" + message + "Searching\n" +
                         "Country KOREA        not found\n" + message),
              std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("Country ?"), std::string::npos);
    const int searching = 19;  // below the menu, the name and the question
    EXPECT_EQ(s.text(searching, 1, 10), "Searching ");
    EXPECT_EQ(s.screen().cellAt(searching, 1).fg, 30);
    EXPECT_EQ(s.screen().cellAt(searching + 1, 1).fg, 14);
    EXPECT_FALSE(std::filesystem::exists("OUT.DAT"));  // still waiting: nothing written
  }
  checkRuns(log, {{"2", "MIXED", "W1 W2 W3"}}, [&](Station& s) {
    writeFile("WORKED.CFM", table);
    s.terminal.type("kk");  // consumed by the two waits, not left for the browse screen
  });
}

TEST(UnconfirmedReport, TableLinesCountedOnceUpToEndAndAMissingTableIsAnError) {
  const std::vector<LogRecord> log = {qso("W1", "14.2", "USA"), qso("JA1", "14.2", "JAPAN")};
  Station s(bytesOf(log));
  writeFile("WORKED.CFM", "TABLE\r\n" + entity("USA") + "ENDS HERE\r\n" + entity("JAPAN"));
  menu(s, "2", "FIRST.DAT", "MIXED");
  s.terminal.type("k");  // JAPAN stands after the end
  s.run();
  EXPECT_EQ(readFile("FIRST.DAT"), picked(log, "W1"));
  EXPECT_EQ(s.lb.tables.workedLineCount, 3);
  // Two more lines in front: the USA line is now beyond the three lines counted.
  writeFile("WORKED.CFM", "TABLE\r\n\r\n\r\n" + entity("USA") + "END\r\n");
  menu(s, "2", "SECOND.DAT", "MIXED");
  s.run();
  EXPECT_NE(screenText(s).find("Country USA          not found"), std::string::npos);
  EXPECT_EQ(s.lb.tables.workedLineCount, 3);

  // Without an END line the count stops at the end of the file.
  Station t(bytesOf(log));
  writeFile("WORKED.CFM", "TABLE\n" + entity("JAPAN") + entity("USA").substr(0, 79));
  menu(t, "2", "OUT.DAT", "MIXED");
  t.run();
  EXPECT_EQ(readFile("OUT.DAT"), picked(log, "W1 JA1"));
  EXPECT_EQ(t.lb.tables.workedLineCount, 3);

  Station u(bytesOf(log));
  std::filesystem::remove("WORKED.CFM");
  menu(u, "3", "NEW.DAT", "MIXED");
  try {
    u.run();
    FAIL() << "a missing WORKED.CFM must end the program";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
  EXPECT_FALSE(std::filesystem::exists("NEW.DAT"));
}

}  // namespace kivo
