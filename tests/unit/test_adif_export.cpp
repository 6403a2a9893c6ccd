#include <gtest/gtest.h>

#include "logbook/interchange/band_ranges.h"
#include "logbook/records/log_record.h"
#include "menu_support.h"
#include "tests/support/file_bytes.h"

namespace kivo {
using testing::contact;
using testing::menu;
using testing::readFile;
using testing::recordBytes;
using testing::Station;
using testing::writeFile;

namespace {

const std::string kHeader =
    "ADIF Export from KIVOLOG\r\n<PROGRAMID:7>KIVOLOG\r\n<PROGRAMVERSION:4>1.06\r\n<EOH>\r\n\r\n";

std::string settingsFile(std::initializer_list<std::string> values) {
  std::string bytes;
  for (const std::string& v : values) bytes += "\"" + v + "\"\r\n";
  return bytes;
}

// F5, 9, the file, the range answer and eight empty station answers.
std::string exported(Station& s, const std::string& range = "N") {
  menu(s, "9", "UPLOAD.ADI", range, "", "", "", "", "", "", "", "");
  s.run();
  return readFile("UPLOAD.ADI");
}

LogRecord with(LogRecord r, Field f, const std::string& text, bool zeroPadded = false) {
  zeroPadded ? r.setZeroPadded(f, text) : r.set(f, text);
  return r;
}

}  // namespace

TEST(AdifExport, TheExampleContactByteForByteAndTheAnswersSaved) {
  LogRecord r = contact("Q1QQ", "04 JUL 05");
  r.set(Field::TIME, "1234");
  r.set(Field::TOFF, "1240");
  r.set(Field::SN, "579");
  Station s(recordBytes(r));
  menu(s, "9", "UPLOAD.ADI", "n", "q1qq", "", "", "", "", "", "", "");
  s.run();
  EXPECT_EQ(readFile("UPLOAD.ADI"),
            kHeader +
                "<BAND:3>20M <CALL:4>Q1QQ <QSL_SENT:1>N <QSL_RCVD:1>N <MODE:2>CW <OPERATOR:4>Q1QQ "
                "<QSO_DATE:8:D>20050704 <RST_RCVD:3>599 <RST_SENT:3>579 <TIME_ON:4>1234 <TIME_OFF:4>1240 "
                "<TX_PWR:3>100 <CNTY:1>, <EOR>\r\n");
  EXPECT_EQ(readFile("KIVOLOG.INI"), settingsFile({"Q1QQ", "", "", "", "", "", "", "", "", "UPLOAD.ADI", "", ""}));
  EXPECT_EQ(s.lb.exportRange.start, 1);  // an N answer makes the marks the whole log
  EXPECT_EQ(s.lb.exportRange.end, 1);
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
}

TEST(AdifExport, QuestionsShowTheValueInTheNextPrintZoneAndEmptyAnswersKeepIt) {
  const std::string settings =
      settingsFile({"Q1QQ", "NA", "05", "08", "NA-046", "FN42", "MA", "ESSEX", "", "", "FN43", "SUFFOLK"});
  {
    Station s(recordBytes(contact("K1A")));
    writeFile("KIVOLOG.INI", settings);
    menu(s, "9", "UPLOAD.ADI", "N", "", "", "", "", "", "", "");
    s.run();  // stops at the county question
    EXPECT_EQ(s.text(18, 1, 47), "What is operator's call sign?             Q1QQ ");
    EXPECT_EQ(s.text(21, 1, 59), "What is your ITU zone? (2 numeric digits)               08 ");
    EXPECT_EQ(s.text(25, 1, 34), "What is your county?        ESSEX ");
    EXPECT_EQ(s.screen().cursorColumn(), 34);
  }
  // From the other site ("@AS" in the comment) the other grid square and county.
  Station s(recordBytes(contact("K1A")) + recordBytes(with(contact("K1B"), Field::COMMENTS, "@AS")));
  writeFile("KIVOLOG.INI", settings);
  menu(s, "9", "UPLOAD.ADI", "N", "", "", "", "", "", "", "", "Middlesex");
  s.run();
  const std::string file = readFile("UPLOAD.ADI");
  EXPECT_NE(file.find("<CONT:2>NA <CQZ:2>05 <ITUZ:2>08 <GRIDSQUARE:4>FN42 <STATE:2>MA <CNTY:12>MA,MIDDLESEX "
                      "<IOTA:6>NA-046 <EOR>\r\n<BAND:3>20M <CALL:3>K1B <COMMENT:3>@AS "),
            std::string::npos);
  EXPECT_TRUE(file.ends_with("<GRIDSQUARE:4>FN43 <STATE:2>MA <CNTY:10>MA,SUFFOLK <IOTA:6>NA-046 <EOR>\r\n"));
  EXPECT_EQ(readFile("KIVOLOG.INI"), settingsFile({"Q1QQ", "NA", "05", "08", "NA-046", "FN42", "MA", "MIDDLESEX", "",
                                                   "UPLOAD.ADI", "FN43", "SUFFOLK"}));
}

TEST(AdifExport, EdgeCasesOfBandsSkipsAndFields) {
  struct Case {
    LogRecord record;
    std::vector<std::string> fragments;  // none: the record is not written
  };
  const LogRecord base = contact("K0");
  auto call = [&](const std::string& c) { return with(base, Field::STATION, c); };
  const Case cases[] = {
      {with(call("K1"), Field::FREQ, "14.35"), {"\r\n<CALL:2>K1 "}},  // a bound: no band
      {with(call("K2"), Field::FREQ, "2.0"), {"\r\n<CALL:2>K2 "}},
      {with(call("K3"), Field::FREQ, "10.09"), {"<BAND:3>30M <CALL:2>K3 "}},
      {with(call("K4"), Field::FREQ, "5.41"), {"<BAND:3>60M <CALL:2>K4 "}},
      {with(call("K5"), Field::FREQ, "432.1"), {"<BAND:4>70CM <CALL:2>K5 "}},
      {with(call("K6"), Field::FREQ, "0.475"), {"<BAND:4>630M <CALL:2>K6 "}},
      {call("CQ TEST"), {}},
      {call("CQ"), {}},                              // shows as "CQ " like any short call
      {with(base, Field::STATION, "CQ", true), {}},  // so does an importer's 0x00 padding
      {call("CQ1ABC"), {"<CALL:6>CQ1ABC "}},
      {with(call("K7"), Field::COMMENTS, "TEST QX0XQZ"), {}},
      {with(call("K8"), Field::SR, "LX"), {"<QSL_SENT:1>Y <QSL_RCVD:1>Y "}},  // written on N
      {with(call("K9"), Field::SR, "B "), {"<QSL_SENT:1>Y <QSL_RCVD:1>N "}},
      {with(call("K10"), Field::COMMENTS, " DX  "), {"<CALL:3>K10 <COMMENT:3> DX <QSL_SENT"}},
      {with(call("K11"), Field::DATE, "31 XYZ 49"), {"<QSO_DATE:6:D>204931 "}},
      {with(call("K12"), Field::DATE, "01 FEB 50"), {"<QSO_DATE:8:D>19500201 "}},
      {with(call("K13"), Field::TOFF, "  "), {"<TIME_OFF:4>     <TX_PWR"}},
      // No grid square of the home site: no GRIDSQUARE field, not even from the other one.
      {with(call("K15"), Field::COMMENTS, "X @AS"), {"<TX_PWR:3>100 <STATE:2>MA <CNTY:10>MA,SUFFOLK <EOR>"}},
      {call("K16"), {"<TX_PWR:3>100 <STATE:2>MA <CNTY:8>MA,ESSEX <EOR>"}},
      // An importer's record: every value ends at its 0x00 padding, the fixed four
      // characters of a time show it as blanks, a 0x00 mark is no mark.
      {with(with(with(with(call("K14"), Field::MODE, "FT8", true), Field::TOFF, "", true), Field::SR, "", true),
            Field::PWR, "5", true),
       {"<CALL:3>K14 <QSL_SENT:1>N <QSL_RCVD:1>N <MODE:3>FT8 ", "<TIME_OFF:4>     <TX_PWR:1>5 <STATE:2>MA "}},
  };
  std::string log;
  for (const Case& c : cases) log += recordBytes(c.record);
  Station s(log);
  writeFile("KIVOLOG.INI", settingsFile({"", "", "", "", "", "", "MA", "ESSEX", "", "", "FN43", "SUFFOLK"}));
  const std::string file = exported(s);
  ASSERT_EQ(file.substr(0, kHeader.size()), kHeader);
  size_t lines = 0;
  for (const Case& c : cases) {
    const std::string callText = testing::callsOf(recordBytes(c.record));
    lines += !c.fragments.empty();
    for (const std::string& f : c.fragments) EXPECT_NE(file.find(f), std::string::npos) << callText << ": " << f;
    if (c.fragments.empty()) {
      EXPECT_EQ(file.find(">" + callText + " "), std::string::npos) << callText;
    }
  }
  EXPECT_EQ(static_cast<size_t>(std::count(file.begin(), file.end(), '\n')), 5 + lines);
}

TEST(AdifExport, TheMarkedRangeOnY) {
  LogRecord sent = contact("Q3");
  sent.set(Field::SR, "L ");
  const std::string log =
      recordBytes(contact("Q1")) + recordBytes(contact("Q2")) + recordBytes(sent) + recordBytes(contact("Q4"));
  struct Case {
    std::vector<unsigned char> keys;  // on the browse screen, which starts on the empty line 5
    std::string calls;                // exported; "-" for refused
  };
  const Case cases[] = {
      {{keys::kAltS, keys::kAltE}, "-"},             // equal marks
      {{keys::kAltS, keys::kUp, keys::kAltE}, "-"},  // the end before the start
      {{}, "-"},                                     // no marks at all
      // The end on the empty line names no record; a start never set begins at 1.
      {{keys::kAltE}, "Q1 Q2 Q4"},
      {{keys::kUp, keys::kAltE, keys::kUp, keys::kUp, keys::kAltS}, "Q2 Q4"},
  };
  for (const Case& c : cases) {
    Station s(log);
    for (unsigned char k : c.keys) s.terminal.ext(k);
    std::string file;
    if (c.calls == "-") {
      menu(s, "9", "UPLOAD.ADI", "Y");
      s.run();  // stops at "Press ENTER to return"
      EXPECT_EQ(s.text(20, 1, 67), "You must define the start and end of the ADIF using Alt-S and Alt-E");
      EXPECT_EQ(s.text(21, 1, 22), "Press ENTER to return ");
      s.terminal.key(keys::kEnter);
      s.run();
      file = readFile("UPLOAD.ADI");
    } else {
      file = exported(s, "Y");
    }
    std::string calls;
    for (const std::string& line : splitLines(file)) {
      size_t at = line.find("<CALL:2>");
      if (at != std::string::npos) calls += (calls.empty() ? "" : " ") + line.substr(at + 8, 2);
    }
    if (c.calls == "-") {
      EXPECT_EQ(file, "");
      EXPECT_FALSE(testing::exists("KIVOLOG.INI"));  // nothing further was asked
    } else {
      EXPECT_EQ(file.substr(0, kHeader.size()), kHeader);
      EXPECT_EQ(calls, c.calls);
    }
  }
}

// The date of the export and of the LOTW match, made in a buffer: two digits of the
// year are read directly, anything else as a number, as the old text form did.
TEST(AdifExport, DatesOfEveryYearForm) {
  const struct {
    std::string_view stored, expected;
  } cases[] = {
      {"04 JUL 05", "20050704"}, {"04 JUL 49", "20490704"},
      {"04 JUL 50", "19500704"}, {"04 JUL 99", "19990704"},
      {"04 JUL 5 ", "20050704"}, {"04 JUL  7", "20070704"},
      {"04 JUL -9", "19910704"}, {"04 JUL 9.", "20090704"},
      {"04 JUL XY", "20000704"}, {std::string_view("04 JUL \0\0", 9), "20000704"},
      {"04 jul 05", "200504"},   {std::string_view("\0\0 DEC 12", 9), "201212  "},
  };
  for (const auto& c : cases) {
    LogRecord r;
    r.set(Field::DATE, c.stored);
    char buffer[kAdifDateSize];
    EXPECT_EQ(adifDate(r, buffer), c.expected) << c.stored;
    EXPECT_EQ(adifDate(r), c.expected) << c.stored;
  }
}

// The lines are made a block of the log at a time on two threads: across the blocks'
// ends every contact still comes once and in log order, and the skipped ones stay out.
TEST(AdifExport, ALogOfManyBlocksComesOutInOrder) {
  std::string log, want;
  for (int i = 1; i <= 9000; ++i) {
    const std::string call = i % 1000 == 7 ? "CQ" : "K" + std::to_string(i);
    log += recordBytes(contact(call));
    if (call != "CQ") want += call + " ";
  }
  Station s(log);
  std::string calls;
  for (const std::string& line : splitLines(exported(s))) {
    const size_t at = line.find("<CALL:");
    if (at != std::string::npos)
      calls += line.substr(line.find('>', at) + 1, line.find(' ', at) - line.find('>', at) - 1) + " ";
  }
  EXPECT_EQ(calls, want);
}

}  // namespace kivo
