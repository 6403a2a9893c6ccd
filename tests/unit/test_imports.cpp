#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

#include "common/fatal.h"
#include "common/text.h"
#include "menu_support.h"

namespace kivo {
using testing::Station;
using testing::menu;
using testing::readFile;
using testing::recordBytes;
using testing::writeFile;
using namespace std::string_literals;

namespace {

using Fields = std::vector<std::pair<Field, std::string>>;

// The bytes an import leaves in NEW.DAT for the file given; menu choice 8 or 6.
std::string imported(const std::string& choice, const std::string& file) {
  Station s;
  writeFile("In.Txt", file);
  menu(s, choice, "NEW.DAT", "In.Txt");
  s.run();
  EXPECT_EQ(s.lb.logFileName, "NEW.DAT");
  return readFile("NEW.DAT");
}

// An ADIF record: fields never read are 0x00, the record defaults stand unless set.
std::string adif(const Fields& fields) {
  LogRecord r;
  r.set(Field::COUNTRY, "");
  r.set(Field::COMMENTS, "");
  r.set(Field::TOFF, "");
  r.set(Field::SR, "");
  for (auto [f, v] : Fields{{Field::PWR, "100"}, {Field::SN, "599"}, {Field::RD, "599"}}) r.setZeroPadded(f, v);
  for (const auto& [f, v] : fields) r.setZeroPadded(f, v);
  r.setSeparators();
  return recordBytes(r);
}

// Shows 0x00 as "~" and every record on a line of its own, for the failure message.
std::string shown(std::string bytes) {
  std::replace(bytes.begin(), bytes.end(), '\0', '~');
  std::replace(bytes.begin(), bytes.end(), '\xFF', '|');
  return "\n" + bytes;
}

const Fields kFull = {{Field::DATE, "04 JUL 05"}, {Field::TIME, "1234"}, {Field::TOFF, "1300"},
                      {Field::STATION, "K1AB"},   {Field::FREQ, "14.025"}, {Field::MODE, "SSB "},
                      {Field::PWR, "50"},         {Field::SN, "57"},       {Field::RD, "449"},
                      {Field::SR, "XR"},          {Field::COMMENTS, "HELLO"}};
const std::string kFullLine =
    "<qso_date:8>20050704 <time_on:6>123456 <time_off:4>1300 <call:4>K1AB <band:3>20m <freq:6>14.025 "
    "<mode:3>ssb <tx_pwr:2>50 <rst_sent:2>57 <rst_rcvd:3>449 <qsl_sent:1>Y <qsl_rcvd:1>R <comment:5>hello";

}  // namespace

TEST(AdifImport, EdgeCasesAndTheShapesProgramsWrite) {
  const Fields k1ab = {{Field::STATION, "K1AB"}};
  struct Case {
    const char* what;
    std::string file;
    std::vector<Fields> records;
  };
  const std::vector<Case> cases = {
      {"every tag on one line", "<EOH>\r\n" + kFullLine + " <eor>\r\n", {kFull}},
      {"<EOR> on the next line, LF only", "<eoh>\n" + kFullLine + "\n<EOR>\n", {kFull}},
      {"no header, a last line without its end", kFullLine + "<EOR>", {kFull}},
      {"header text before <eoh> ends no header", "WSJT-X ADIF Export<eoh>\n<call:4>K1AB <eor>\n", {k1ab}},
      {"records on the line that ends the header", "<ADIF_VER:5>3.1.0\n<EOH><CALL:4>K1AB<EOR><CALL:4>W1AW<EOR>\n",
       {k1ab, {{Field::STATION, "W1AW"}}}},
      {"several records on one line, no blanks", "<call:4>K1AB<rst_sent:2>55<eor><call:4>W1AW<eor><mode:2>cw\n<eor>",
       {{{Field::STATION, "K1AB"}, {Field::SN, "55"}}, {{Field::STATION, "W1AW"}}, {{Field::STATION, "W1AW"}, {Field::MODE, "CW  "}}}},
      {"one field per line: the report stays, DATE FREQ MODE TIME CALL carry on",
       "<EOH>\n\n<CALL:4>K1AB\n<RST_RCVD:3>339\n<QSO_DATE:8:D>20240102\n<time_on:4>0930\n<band:4>160m\n<mode:3>LSB"
       "\n<TX_PWR:3>5\n\n<EOR>\n\n<CALL:4>W1AW\n<EOR>\n",
       {{{Field::STATION, "K1AB"}, {Field::RD, "339"}, {Field::DATE, "02 JAN 24"}, {Field::TIME, "0930"},
         {Field::FREQ, "1.800"}, {Field::MODE, "SSB "}, {Field::PWR, "5"}},
        {{Field::STATION, "W1AW"}, {Field::DATE, "02 JAN 24"}, {Field::TIME, "0930"}, {Field::FREQ, "1.800"},
         {Field::MODE, "SSB "}}}},
      {"typed dates; other date forms keep the date before",
       "<QSO_DATE:8:d>19991231<EOR>\n<QSO_DATE:10>2000-01-01<EOR>\n<QSO_DATE:8:X>20000101<EOR>\n",
       std::vector<Fields>(3, {{Field::DATE, "31 DEC 99"}})},
      {"a month outside 01-12 stands as found", "<QSO_DATE:8>20051304<EOR><QSO_DATE:8>2005XY04<EOR>",
       {{{Field::DATE, "04 13  05"}}, {{Field::DATE, "04 XY  05"}}}},
      {"frequencies", "<BAND:3>20M<EOR><BAND:3>6M<EOR><FREQ:8>14.07400<EOR><FREQ:9>14.074000<EOR><FREQ:10>144.174000<EOR>"
       "<BAND:4>70CM<EOR><FREQ:3>7.1 <band:3>20M<EOR><freq:11>10.13712345<EOR>",
       {{{Field::FREQ, "14.000"}}, {{Field::FREQ, "0.000"}}, {{Field::FREQ, "014.0740"}}, {{Field::FREQ, "14.07400"}},
        {{Field::FREQ, "144.1740"}}, {{Field::FREQ, "435.000"}}, {{Field::FREQ, "7.1"}}, {{Field::FREQ, "7.1"}}}},
      {"modes", "<MODE:3>FT8<EOR><MODE:5>PSK31<EOR><MODE:3>USB<EOR><MODE:2>FM<EOR><MODE:2>AM<EOR><MODE:2:E>CW<EOR>",
       {{{Field::MODE, "RTTY"}}, {{Field::MODE, "RTTY"}}, {{Field::MODE, "SSB "}}, {{Field::MODE, "FM  "}},
        {{Field::MODE, "AM  "}}, {{Field::MODE, "RTTY"}}}},  // a type letter stands where the mode is read
      {"calls: two-digit lengths, cut to 16, text after the value, twice, not a digit; 0x00 and 0xFF as blanks",
       "<CALL:12>DL1ABC/P/MM1<EOR><CALL:17>ABCDEFGHIJKLMNOPQ<EOR><call:4>W1AWXYZ <call:4>K1AB<EOR>"
       "<CALL:X>K1AB<EOR><CALL:5>K\0\xFF\xC4\xE9<EOR>"s,
       {{{Field::STATION, "DL1ABC/P/MM1"}}, {{Field::STATION, "ABCDEFGHIJKLMNOP"}}, {{Field::STATION, "W1AW"}},
        {{Field::STATION, ""}}, {{Field::STATION, "K  \xC4\xE9"}}}},
      {"QSL codes, comments, zero lengths",
       "<QSL_SENT:1>N<QSL_RCVD:1>Y<EOR><QSL_SENT:1>L<QSL_RCVD:1>y<EOR><COMMENT:45>" + std::string(45, 'c') +
           "<EOR><COMMENT:0> <QSL_SENT:0> <TX_PWR:0> <CALL:0> <EOR>",
       {{{Field::SR, " X"}}, {{Field::SR, "LX"}}, {{Field::COMMENTS, std::string(38, 'C')}},
        {{Field::COMMENTS, ""}, {Field::PWR, ""}, {Field::STATION, ""}}}},
      {"values cut off by the line end", "<CALL:9>K1AB\n<COMMENT:30>short\n<QSL_RCVD:1>\n<TIME_ON:4>12\n<EOR>\n",
       {{{Field::STATION, "K1AB"}, {Field::COMMENTS, "SHORT"}, {Field::TIME, "12"}}}},
  };
  for (const Case& c : cases) {
    std::string expected;
    for (const Fields& f : c.records) expected += adif(f);
    const std::string got = imported("8", c.file);
    EXPECT_EQ(got, expected) << c.what << shown(got) << shown(expected);
  }
}

namespace {

std::string cabrillo(const std::string& date, const std::string& freq, const std::string& mode,
                     const std::string& time, const std::string& call, const std::string& sn, const std::string& rd) {
  LogRecord r;
  r.set(Field::MODE, mode);
  r.set(Field::PWR, "100");
  r.set(Field::COUNTRY, "");
  r.set(Field::SR, "");
  r.set(Field::COMMENTS, "");
  for (auto [f, v] : Fields{{Field::DATE, date}, {Field::FREQ, freq}, {Field::TIME, time}, {Field::TOFF, time},
                            {Field::STATION, call}, {Field::SN, sn}, {Field::RD, rd}})
    r.setZeroPadded(f, v);
  r.setSeparators();
  return recordBytes(r);
}

}  // namespace

TEST(CabrilloImport, ColumnsOfTheTemplateAndTheShapesProgramsWrite) {
  const std::string file =
      "START-OF-LOG: 2.0\r\nQSO:  7025 DG 2005-07-04 1200 Q1QQ          599 001    Q2QQ          599 002    0\r\n"
      "QSO:  3799 PH 1999-03-06 0711 Q1QQ           59 001    Q9ZZ           59 002    0\n"
      "qso:  3799 PH 1999-03-06 0711 Q1QQ           59 001    Q9ZZ           59 002    0\n"
      "X-QSO: 3799 PH 1999-03-06 0711 Q1QQ          59 001    Q9ZZ           59 002    0\n"
      "QSO: 14025 RY 2005-13-04 2359 Q1QQ          599 001    ABC\xFF\0FGHIJKLM 599 002    0\r\n"s
      "QSO: 07025 XX 2005-07-04 1200 Q1QQ          599 001    Q3QQ\n"
      "QSO:    7025 CW 2005-07-04 1200 Q1QQ          599 001    Q4QQ          599 002    0\n"
      "QSO:    50 FM 2005-07-04 1200\n"
      "END-OF-LOG:\nQSO: 14025 CW 2005-07-04 12";
  const std::string expected =
      cabrillo("04 JUL 05", "07.02500", "", "1200", "Q2QQ" + std::string(11, ' '), "599", "599") +
      cabrillo("06 MAR 99", "03.79900", "SSB", "0711", "Q9ZZ" + std::string(11, ' '), "59 ", "59 ") +
      cabrillo("04 13  05", "14.02500", "RTTY", "2359", "ABC  FGHIJK    ", "599", "599") +
      cabrillo("04 JUL 05", "07.02500", "RTTY", "1200", "Q3QQ    ", "599", "") +
      cabrillo("7- MAY 20", "0 . 7000", "RTTY", "4 12", "  Q4QQ         ", " 5 ", " 5 ") +  // not in the columns
      cabrillo("04 JUL 05", "0 . 5000", "FM", "1200", "    ", "", "") + cabrillo("04 JUL 05", "14.02500", "CW", "12", "    ", "", "");
  const std::string got = imported("6", file);
  EXPECT_EQ(got, expected) << shown(got) << shown(expected);
}

namespace {

// Keeps the screen as it stood when "Converting" was printed, and as it stood after
// the last progress line.
class ProgressTerminal : public ScriptedTerminal {
 public:
  void outputTick(const Screen& screen) override {
    if (screen.cursorRow() < 2 || screen.cursorColumn() != 1) return;
    const std::string above = screen.rowText(screen.cursorRow() - 1);
    if (above.starts_with("Converting ") && screen.cellAt(screen.cursorRow() - 1, 1).fg == 30) atStart = screen;
    if (above.starts_with("line ") || above.starts_with("Converting ")) atEnd = screen;
  }
  Screen atStart, atEnd;
};

}  // namespace

// However the progress lines reach the screen, it ends as if each had been printed.
TEST(AdifImport, ProgressLinesEndTheScreenAsIfEachWasPrinted) {
  std::string body;
  for (int i = 0; i < 1000; ++i) body += i % 2 ? "<EOR>\r\n" : "<CALL:4>K1AB\r\n";
  struct Case {
    std::string file;
    int header, lines;
  };
  for (const Case& c : {Case{"x\n<EOH>\n<EOR>\n", 2, 1}, Case{"A\r\n<EOH>\r\n" + body, 2, 1000},
                        Case{body, 1000, 1000}, Case{"", 0, 0}}) {
    Station files;
    writeFile("IN.ADI", c.file);
    ProgressTerminal terminal;
    Console console(terminal);
    Logbook lb(console);
    terminal.ext(keys::kF5).type("8").key(keys::kEnter).type("NEW.DAT").key(keys::kEnter).type("in.adi");
    terminal.key(keys::kEnter);
    EXPECT_THROW(runLogbook(lb), ScriptEnded);
    Screen& expected = terminal.atStart;
    const int row = expected.cursorRow() - 1;
    EXPECT_EQ(expected.textAt(row, 1, 11), "Converting ");
    expected.color(14, 1);
    for (int i = 0; i < c.header; ++i) expected.printLine("Converting ");
    for (int i = 1; i <= c.lines; ++i) expected.printLine("line " + std::to_string(i));
    for (int r = 1; r <= expected.rows(); ++r)
      for (int col = 1; col <= Screen::kColumns; ++col)
        ASSERT_EQ(terminal.atEnd.cellAt(r, col), expected.cellAt(r, col)) << c.lines << " at " << r << "," << col;
    EXPECT_EQ(readFile("NEW.DAT").size(), (c.lines + 1) / 2 * 144u);
  }
}

// Any bytes: no crash, one record for each "<EOR>" (for each "QSO:" line), however
// the tags are cut off.
TEST(Imports, AnyBytesGiveOneRecordPerEndMark) {
  const std::string parts[] = {"<EOR>", "<eor>", "<CALL:", "<CALL:1", "<COMMENT:", "<COMMENT:99>", "<QSO_DATE:8>2",
                               "<QSO_DATE:8:D>", "<FREQ:10>", "<TX_PWR:9", "<RST_SENT:", "<QSL_RCVD:", "<MODE:",
                               "<TIME_OFF:", "<BAND:", "QSO: 14025 PH 2005-07-04 1200 Q1QQ", "\r\n", "\n", "\r"};
  std::mt19937 rng(20261208);
  for (int round = 0; round < 8; ++round) {
    std::string file;
    while (file.size() < 1u << 16) {
      file += parts[rng() % std::size(parts)];
      for (unsigned k = rng() % 4; k > 0; --k) file += static_cast<char>(rng());
      if (rng() % 2) file += "QSO:";
    }
    const std::string upper = upperCase(file);
    long long marks = 0, qsos = 0;
    for (size_t at = 0; (at = upper.find("<EOR>", at)) != std::string::npos; at += 5) ++marks;
    for (const std::string& line : splitLines(file)) qsos += line.starts_with("QSO:");
    EXPECT_EQ(static_cast<long long>(imported("8", file).size()), marks * 144) << round;
    EXPECT_EQ(static_cast<long long>(imported("6", file).size()), qsos * 144) << round;
  }
}

// A line of the longest length read holds thousands of records, all of them read;
// a longer one is runtime error 3 and leaves no new file.
TEST(Imports, ALineUpToTheLimitAndALongerOne) {
  std::string line;
  while (line.size() + 17 <= kMaxLineLength) line += "<CALL:4>K1AB<EOR>";
  EXPECT_EQ(imported("8", line + "\n").size(), line.size() / 17 * 144);
  for (const char* choice : {"8", "6"}) {
    Station s;
    writeFile("In.Txt", "QSO:" + line + line);
    menu(s, choice, "NEW.DAT", "In.Txt");
    EXPECT_EQ(testing::errorNumberOf<RuntimeError>([&] { s.run(); }), 3) << choice;
    EXPECT_FALSE(testing::exists("NEW.DAT")) << choice;
  }
}

// The name is asked again until it opens, and used as typed.
TEST(Imports, TheNameQuestion) {
  for (const auto& [choice, question] : {std::pair{"8", "What is the name of the ADIF file? "},
                                         {"6", "What is the name of the cabrillo file? "}}) {
    Station s;
    writeFile("x.in", "<CALL:4>K1AB<EOR>\nQSO:  3799 PH 1999-03-06 0711 Q1QQ           59 001    K1AB\n");
    writeFile("X.IN", "<CALL:4>W1AW<EOR>\nQSO:  3799 PH 1999-03-06 0711 Q1QQ           59 001    W1AW\n");
    menu(s, choice, "NEW.DAT", "none");
    s.run();
    const int row = s.screen().cursorRow();
    EXPECT_EQ(s.text(row - 3, 1, 39) + s.text(row - 2, 1, 5) + s.text(row - 1, 1, 39),
              fitWidth(question, 39) + "none " + fitWidth(question, 39));
    menu(s, choice, "NEW.DAT", "none", "x.in");  // the question left open above was given up
    s.run();
    EXPECT_EQ(testing::callsOf(readFile("NEW.DAT")).substr(0, 4), "K1AB") << choice;
  }
}

// Real files of other programs: every record arrives. Where the folder is missing
// (a fresh clone) there is nothing to read.
TEST(Imports, RealFilesOfOtherPrograms) {
  const std::filesystem::path root = testing::sourceDir() + "/../shared/realdata";
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << root << " is not here";
  for (const auto& [folder, choice] : {std::pair{"adif", "8"}, {"lotw", "8"}, {"cabrillo", "6"}}) {
    if (!std::filesystem::is_directory(root / folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      const std::string text = readFile(entry.path());
      long long records = 0;
      if (choice == std::string("8")) {
        const std::string upper = upperCase(text);
        for (size_t at = 0; (at = upper.find("<EOR>", at)) != std::string::npos; at += 5) ++records;
      } else {
        for (const std::string& line : splitLines(text)) records += line.starts_with("QSO:");
      }
      const std::string got = imported(choice, text);
      EXPECT_EQ(static_cast<long long>(got.size()), records * 144) << entry.path();
    }
  }
}

}  // namespace kivo
