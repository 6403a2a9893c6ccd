#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <vector>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/startup.h"
#include "logbook/interchange/import_common.h"
#include "logbook/interchange/read_ahead_lines.h"
#include "menu_support.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"

namespace kivo {
using testing::menu;
using testing::readFile;
using testing::recordBytes;
using testing::Station;
using testing::writeFile;
using namespace std::string_literals;

namespace {

// The bytes an import leaves in NEW.DAT for the file given; menu choice 8 or 6.
std::string imported(const std::string& choice, const std::string& file) {
  Station s;
  writeFile("In.Txt", file);
  menu(s, choice, "NEW.DAT", "In.Txt");
  s.run();
  EXPECT_EQ(s.lb.logFileName, "NEW.DAT");
  return readFile("NEW.DAT");
}

// The records an import must give: one per "<EOR>" in any case, or per "QSO:" line.
size_t recordsIn(const std::string& choice, const std::string& text) {
  size_t n = 0;
  const std::string upper = upperCase(text);
  if (choice == "8")
    for (size_t at = 0; (at = upper.find("<EOR>", at)) != std::string::npos; at += 5) ++n;
  if (choice == "6")
    for (const std::string& line : splitLines(text)) n += line.starts_with("QSO:");
  return n;
}

// Splits at "|".
std::vector<std::string> parts(const std::string& text) {
  std::vector<std::string> out(1);
  for (char c : text) {
    if (c == '|') {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

// A record from "FIELD=value|..." on top of `base`, each value padded with 0x00.
std::string record(LogRecord base, const std::string& spec) {
  for (const std::string& part : parts(spec)) {
    const size_t eq = part.find('=');
    for (const FieldInfo& f : kFields)
      if (part.substr(0, eq) == f.name) base.setZeroPadded(f.field, part.substr(eq + 1));
  }
  base.setSeparators();
  return recordBytes(base);
}

// An ADIF record: fields never read are 0x00; the record defaults stand unless set.
std::string adif(const std::string& spec) {
  LogRecord r;
  for (Field f : {Field::COUNTRY, Field::COMMENTS, Field::TOFF, Field::SR}) r.set(f, "");
  return record(r, "PWR=100|SN=599|RD=599|" + spec);
}

// A Cabrillo record: TOFF is TIME; PWR, COUNTRY, SR and COMMENTS blank-padded.
std::string cabrillo(const std::string& spec) {
  LogRecord r;
  for (Field f : {Field::COUNTRY, Field::SR, Field::COMMENTS}) r.set(f, "");
  r.set(Field::PWR, "100");
  LogRecord filled = testing::recordAt(record(r, spec), 1);
  filled.set(Field::TOFF, filled.get(Field::TIME));
  return recordBytes(filled);
}

// Shows 0x00 as "~" and the separator as "|", for the failure message.
std::string shown(std::string bytes) {
  std::replace(bytes.begin(), bytes.end(), '\0', '~');
  std::replace(bytes.begin(), bytes.end(), '\xFF', '|');
  return "\n" + bytes;
}

const std::string kFullLine =
    "<qso_date:8>20050704 <time_on:6>123456 <time_off:4>1300 <call:4>K1AB <band:3>20m <freq:6>14.025 "
    "<mode:3>ssb <tx_pwr:2>50 <rst_sent:2>57 <rst_rcvd:3>449 <qsl_sent:1>Y <qsl_rcvd:1>R <comment:5>hello";
const std::string kFull =
    "DATE=04 JUL 05|TIME=1234|TOFF=1300|STATION=K1AB|FREQ=14.025|MODE=SSB |PWR=50|SN=57|RD=449|SR=XR|COMMENTS=HELLO";

}  // namespace

TEST(AdifImport, EdgeCasesAndTheShapesProgramsWrite) {
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"every tag on one line", "<EOH>\r\n" + kFullLine + " <eor>\r\n", {kFull}},
      {"<EOR> on the next line, LF only", "<eoh>\n" + kFullLine + "\n<EOR>\n", {kFull}},
      {"no header, a last line without its end", kFullLine + "<EOR>", {kFull}},
      {"header text before <eoh> ends no header", "WSJT-X ADIF Export<eoh>\n<call:4>K1AB <eor>\n", {"STATION=K1AB"}},
      {"records on the line that ends the header",
       "<ADIF_VER:5>3.1.0\n<EOH><CALL:4>K1AB<EOR><CALL:4>W1AW<EOR>\n",
       {"STATION=K1AB", "STATION=W1AW"}},
      {"several records on one line, no blanks",
       "<call:4>K1AB<rst_sent:2>55<eor><call:4>W1AW<eor><mode:2>cw\n<eor>",
       {"STATION=K1AB|SN=55", "STATION=W1AW", "STATION=W1AW|MODE=CW  "}},
      {"one field per line: the report stays, DATE FREQ MODE TIME CALL carry on",
       "<EOH>\n\n<CALL:4>K1AB\n<RST_RCVD:3>339\n<QSO_DATE:8:D>20240102\n<time_on:4>0930\n<band:4>160m\n<mode:3>LSB"
       "\n<TX_PWR:3>5\n\n<EOR>\n\n<CALL:4>W1AW\n<EOR>\n",
       {"STATION=K1AB|RD=339|DATE=02 JAN 24|TIME=0930|FREQ=1.800|MODE=SSB |PWR=5",
        "STATION=W1AW|DATE=02 JAN 24|TIME=0930|FREQ=1.800|MODE=SSB "}},
      {"typed dates; other date forms keep the date before",
       "<QSO_DATE:8:d>19991231<EOR>\n<QSO_DATE:10>2000-01-01<EOR>\n<QSO_DATE:8:X>20000101<EOR>\n",
       {"DATE=31 DEC 99", "DATE=31 DEC 99", "DATE=31 DEC 99"}},
      {"a month outside 01-12 stands as found",
       "<QSO_DATE:8>20051304<EOR><QSO_DATE:8>2005XY04<EOR>",
       {"DATE=04 13  05", "DATE=04 XY  05"}},
      {"frequencies",
       "<BAND:3>20M<EOR><BAND:3>6M<EOR><FREQ:8>14.07400<EOR><FREQ:9>14.074000<EOR><FREQ:10>144.174000<EOR>"
       "<BAND:4>70CM<EOR><FREQ:3>7.1 <band:3>20M<EOR><freq:11>10.13712345<EOR>",
       {"FREQ=14.000", "FREQ=0.000", "FREQ=014.0740", "FREQ=14.07400", "FREQ=144.1740", "FREQ=435.000", "FREQ=7.1",
        "FREQ=7.1"}},
      // A type letter stands where the mode is read.
      {"modes",
       "<MODE:3>FT8<EOR><MODE:5>PSK31<EOR><MODE:3>USB<EOR><MODE:2>FM<EOR><MODE:2>AM<EOR><MODE:2:E>CW<EOR>",
       {"MODE=RTTY", "MODE=RTTY", "MODE=SSB ", "MODE=FM  ", "MODE=AM  ", "MODE=RTTY"}},
      {"calls: two-digit lengths, cut to 16, text after the value, twice, not a digit; 0x00 and 0xFF as blanks",
       "<CALL:12>DL1ABC/P/MM1<EOR><CALL:17>ABCDEFGHIJKLMNOPQ<EOR><call:4>W1AWXYZ <call:4>K1AB<EOR>"
       "<CALL:X>K1AB<EOR><CALL:5>K\0\xFF\xC4\xE9<EOR>"s,
       {"STATION=DL1ABC/P/MM1", "STATION=ABCDEFGHIJKLMNOP", "STATION=W1AW", "STATION=", "STATION=K  \xC4\xE9"}},
      {"QSL codes, comments, zero lengths",
       "<QSL_SENT:1>N<QSL_RCVD:1>Y<EOR><QSL_SENT:1>L<QSL_RCVD:1>y<EOR><COMMENT:45>" + std::string(45, 'c') +
           "<EOR><COMMENT:0> <QSL_SENT:0> <TX_PWR:0> <CALL:0> <EOR>",
       {"SR= X", "SR=LX", "COMMENTS=" + std::string(38, 'C'), "COMMENTS=|PWR=|STATION="}},
      {"values cut off by the line end",
       "<CALL:9>K1AB\n<COMMENT:30>short\n<QSL_RCVD:1>\n<TIME_ON:4>12\n<EOR>\n",
       {"STATION=K1AB|COMMENTS=SHORT|TIME=12"}},
  };
  for (const Case& c : cases) {
    std::string expected;
    for (const std::string& r : c.records) expected += adif(r);
    const std::string got = imported("8", c.file);
    EXPECT_EQ(got, expected) << c.what << shown(got) << shown(expected);
  }
}

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
      // A first unknown mode is blank; later ones repeat the mode before.
      cabrillo("DATE=04 JUL 05|FREQ=07.02500|MODE=    |TIME=1200|STATION=Q2QQ           |SN=599|RD=599") +
      cabrillo("DATE=06 MAR 99|FREQ=03.79900|MODE=SSB |TIME=0711|STATION=Q9ZZ           |SN=59 |RD=59 ") +
      cabrillo("DATE=04 13  05|FREQ=14.02500|MODE=RTTY|TIME=2359|STATION=ABC  FGHIJK    |SN=599|RD=599") +
      cabrillo("DATE=04 JUL 05|FREQ=07.02500|MODE=RTTY|TIME=1200|STATION=Q3QQ    |SN=599|RD=") +
      // Seven columns of frequency: nothing stands in its column any more.
      cabrillo("DATE=7- MAY 20|FREQ=0 . 7000|MODE=RTTY|TIME=4 12|STATION=  Q4QQ         |SN= 5 |RD= 5 ") +
      cabrillo("DATE=04 JUL 05|FREQ=0 . 5000|MODE=FM  |TIME=1200|STATION=    |SN=|RD=") +
      cabrillo("DATE=04 JUL 05|FREQ=14.02500|MODE=CW  |TIME=12|STATION=    |SN=|RD=");
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
  for (const Case& c : {Case{"x\n<EOH>\n<EOR>\n", 2, 1}, Case{"A\r\n<EOH>\r\n" + body, 2, 1000}, Case{body, 1000, 1000},
                        Case{"", 0, 0}}) {
    Station files;
    writeFile("IN.ADI", c.file);
    ProgressTerminal terminal;
    Console console(terminal);
    Logbook lb(console);
    terminal.ext(keys::kF5).type("8\rNEW.DAT\rin.adi\r");
    EXPECT_THROW(runLogbook(lb), ScriptEnded);
    Screen& expected = terminal.atStart;
    EXPECT_EQ(expected.textAt(expected.cursorRow() - 1, 1, 11), "Converting ");
    expected.color(14, 1);
    for (int i = 0; i < c.header; ++i) expected.printLine("Converting ");
    for (int i = 1; i <= c.lines; ++i) expected.printLine("line " + std::to_string(i));
    for (int r = 1; r <= expected.rows(); ++r)
      for (int col = 1; col <= Screen::kColumns; ++col)
        ASSERT_EQ(terminal.atEnd.cellAt(r, col), expected.cellAt(r, col)) << c.lines << " at " << r << "," << col;
    EXPECT_EQ(readFile("NEW.DAT").size(), static_cast<size_t>((c.lines + 1) / 2) * 144u);
  }
}

// Any bytes: no crash, and every record arrives however the tags are cut off.
// The branch-free byte of an ADIF line against the rule it stands for, over every byte.
TEST(AdifImport, LineBytesAreUpperCasedWithRecordBreakersBlank) {
  for (int c = 0; c < 256; ++c) {
    const char byte = static_cast<char>(c);
    const char expected = c == 0 || c == '\r' || c == 0xFF ? ' ' : upperChar(byte);
    EXPECT_EQ(adifLineByte(byte), expected) << c;
  }
}

TEST(Imports, AnyBytesGiveOneRecordPerEndMark) {
  const std::vector<std::string> pieces = parts(
      "<EOR>|<eor>|<CALL:|<CALL:1|<COMMENT:|<COMMENT:99>|<QSO_DATE:8>2|<QSO_DATE:8:D>|<FREQ:10>|<TX_PWR:9|<RST_SENT:"
      "|<QSL_RCVD:|<MODE:|<TIME_OFF:|<BAND:|QSO: 14025 PH 2005-07-04 1200 Q1QQ|\r\n|\n|\r");
  std::mt19937 rng(20261208);
  for (int round = 0; round < 8; ++round) {
    std::string file;
    while (file.size() < 1u << 16) {
      file += pieces[rng() % pieces.size()];
      for (unsigned k = rng() % 4; k > 0; --k) file += static_cast<char>(rng());
      if (rng() % 2) file += "QSO:";
    }
    for (const std::string choice : {"8", "6"})
      EXPECT_EQ(imported(choice, file).size(), recordsIn(choice, file) * 144) << choice << round;
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
    std::string twice = "QSO:" + line;
    twice += line;
    writeFile("In.Txt", twice);
    menu(s, choice, "NEW.DAT", "In.Txt");
    EXPECT_EQ(testing::errorNumberOf<RuntimeError>([&] { s.run(); }), 3) << choice;
    EXPECT_FALSE(testing::exists("NEW.DAT")) << choice;
  }
}

// The ADIF import reads its lines on a second thread, a block of lines at a time:
// every line comes as TextReader gives it, made ready, across many blocks, and a
// line past the limit is the runtime error in its place, after every line before.
TEST(Imports, LinesReadAheadAsTheyStand) {
  std::string many;
  for (int i = 0; i < 40000; ++i) many += "line " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
  const std::string tooLong = many + std::string(2000, 'x') + "\nafter\n";
  struct Case {
    std::string text;
    bool fails;
  };
  for (const Case& c : {Case{"", false}, Case{"one", false}, Case{"\n\r\n", false}, Case{many, false},
                        Case{many + "last without its end", false}, Case{tooLong, true}}) {
    Station s;
    writeFile("In.Txt", c.text);
    std::vector<std::string> want;
    TextReader direct;
    direct.open("In.Txt");
    direct.setLineLimit(1000);
    std::string line;
    while (!c.fails && direct.readLine(line)) want.push_back(upperCase(line));
    TextReader in;
    in.open("In.Txt");
    in.setLineLimit(1000);
    ReadAheadLines lines(in, [](std::string& l) { l = upperCase(l); });
    std::vector<std::string> got;
    std::string_view next;
    const int error = testing::errorNumberOf<RuntimeError>([&] {
      while (lines.next(next)) got.emplace_back(next);
    });
    EXPECT_EQ(error, c.fails ? 3 : 0) << c.text.size();
    if (c.fails) {
      ASSERT_EQ(got.size(), 40000u);
      EXPECT_EQ(got.back(), "LINE 39999");
    } else {
      EXPECT_EQ(got, want) << c.text.size();
    }
  }
}

// The name is asked again until it opens, and used as typed.
TEST(Imports, TheNameQuestion) {
  for (const auto& [choice, question] :
       {std::pair{"8", "What is the name of the ADIF file? "}, {"6", "What is the name of the cabrillo file? "}}) {
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
      EXPECT_EQ(imported(choice, text).size(), recordsIn(choice, text) * 144) << entry.path();
    }
  }
}

}  // namespace kivo
