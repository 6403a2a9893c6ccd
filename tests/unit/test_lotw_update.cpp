#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "logbook/interchange/lotw_update.h"
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

LogRecord worked(const std::string& call, const std::string& date, const std::string& time,
                 const std::string& freq = "14.02500", const std::string& sr = "  ") {
  LogRecord r = contact(call, date, sr);
  r.set(Field::TIME, time);
  r.set(Field::FREQ, freq);
  return r;
}

// One confirmation on one line, as short files have them.
std::string confirmation(const std::string& call, const std::string& band, const std::string& date,
                         const std::string& time, const std::string& received = "") {
  auto field = [](const std::string& tag, const std::string& v) {
    return "<" + tag + ":" + std::to_string(v.size()) + ">" + v + " ";
  };
  return field("CALL", call) + field("BAND", band) + field("QSO_DATE", date) + field("TIME_ON", time) +
         (received.empty() ? "" : field("QSL_RCVD", received)) + "<EOR>\r\n";
}

struct Updated {
  std::string received;              // the second SR character of every record, in order
  std::vector<std::string> printed;  // the lines after "Processing, please wait"
};

long long modifiedNs(const std::string& name) {
  struct stat st {};
  ::stat(name.c_str(), &st);
  return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

// F5, 10 and the file; then the same file once more straight through lotwUpdate on
// a cleared screen. The second pass prints the same not-found lines (they do not
// depend on the marks), and as everything it finds is confirmed by now it must
// leave the log as it was, without a single write.
Updated update(const std::vector<LogRecord>& records, const std::string& file) {
  std::string log;
  for (const LogRecord& r : records) log += recordBytes(r);
  Station s(log);
  writeFile("LOTW.ADI", file);
  menu(s, "10", "lotw.adi");
  s.terminal.ext(keys::kF3);  // leaves the list of confirmations not found (F3 does nothing else)
  s.run();
  Updated out;
  const std::string after = s.log();
  for (size_t at = 98; at < after.size(); at += 144) out.received += after[at];
  EXPECT_EQ(after.size(), log.size());

  std::filesystem::last_write_time("LOGMAIN.DAT", std::filesystem::file_time_type{});
  const long long before = modifiedNs("LOGMAIN.DAT");
  s.console.color(7, 1);
  s.console.cls();
  TextReader in;
  in.open("LOTW.ADI");
  s.terminal.ext(keys::kF3);
  lotwUpdate(s.lb, in);
  EXPECT_EQ(s.log(), after);
  EXPECT_EQ(modifiedNs("LOGMAIN.DAT"), before) << "a pass that changes nothing wrote the log";
  EXPECT_EQ(s.text(1, 1, 24), "Processing, please wait ");
  for (int row = 2; row < s.screen().cursorRow(); ++row) {
    std::string line = s.row(row);
    out.printed.push_back(line.erase(line.find_last_not_of(' ') + 1) + " ");
  }
  // A list of confirmations not found stays on the screen until a key is pressed.
  if (!out.printed.empty()) {
    EXPECT_EQ(out.printed.back(), std::string(kLotwListEnd) + " ");
    out.printed.resize(out.printed.size() - 2);
  }
  return out;
}

const std::string kHead = "<EOH>\r\n";

LogRecord imported(const std::string& call) {
  LogRecord r = worked(call, "01 JAN 26", "1200");
  r.setZeroPadded(Field::STATION, call);
  r.setZeroPadded(Field::SR, "");
  return r;
}

}  // namespace

TEST(LotwUpdate, EdgeCasesThroughTheMenu) {
  struct Case {
    const char* what;
    std::vector<LogRecord> log;
    std::string file;
    std::string received;
    std::vector<std::string> printed;
  };
  const LogRecord at1230 = worked("Q1QQ", "04 JUL 05", "1230");
  const Case cases[] = {
      {"99 minutes", {at1230}, kHead + confirmation("Q1QQ", "20M", "20050704", "1329"), "L", {}},
      {"101 minutes",
       {at1230},
       kHead + confirmation("Q1QQ", "20M", "20050704", "1331"),
       " ",
       {"Q1QQ on 20050704, Band 20M, Time 1331 not found "}},
      {"midnight",
       {worked("Q1QQ", "04 JUL 05", "2359")},
       kHead + confirmation("Q1QQ", "20M", "20050704", "0001"),
       " ",
       {"Q1QQ on 20050704, Band 20M, Time 0001 not found "}},
      {"one field per line",
       {at1230},
       "ARRL Logbook of the World Status Report\r\n<eoh>\r\n\r\n<call:4>q1qq\r\n<band:3>20m\r\n"
       "<STATE:2>MD // Maryland\r\n<qso_date:8>20050704\r\n<time_on:6>124559\r\n<qsl_rcvd:1>Y\r\n<eor>\r\n\r\n"
       "<APP_LoTW_EOF>\r\n",
       "L",
       {}},
      {"60 metres",
       {worked("K1A", "01 JAN 26", "1200", "5.357")},
       kHead + confirmation("K1A", "60M", "20260101", "1200"),
       "L",
       {}},
      {"2.0 MHz",
       {worked("K1A", "01 JAN 26", "1200", "2.0")},
       kHead + confirmation("K1A", "160M", "20260101", "1200"),
       " ",
       {"K1A on 20260101, Band 160M, Time 1200 not found "}},
      {"70 cm is not a row of the update",
       {worked("K1A", "01 JAN 26", "1200", "432.1")},
       kHead + confirmation("K1A", "70CM", "20260101", "1200"),
       " ",
       {"K1A on 20260101, Band 70CM, Time 1200 not found "}},
      {"two candidates",
       {worked("K1A", "01 JAN 26", "1200"), worked("K1A", "01 JAN 26", "1230"),
        worked("K1A", "01 JAN 26", "1230", "7.0")},
       kHead + confirmation("K1A", "20M", "20260101", "1230") + confirmation("K1A", "20M", "20260101", "1215"),
       "L  ",
       {}},
      {"already confirmed",
       {worked("K1A", "01 JAN 26", "1200", "14.025", "LL"), worked("K1B", "01 JAN 26", "1200", "14.025", " X"),
        worked("K1C", "01 JAN 26", "1200", "14.025", " C")},
       kHead + confirmation("K1A", "20M", "20260101", "1200") + confirmation("K1B", "20M", "20260101", "1200") +
           confirmation("K1C", "20M", "20260101", "1200"),
       "LBC",
       {}},
      {"years 49 and 50",
       {worked("K1A", "01 JAN 49", "1200"), worked("K1B", "01 JAN 50", "1200")},
       kHead + confirmation("K1A", "20M", "20490101", "1200") + confirmation("K1B", "20M", "20500101", "1200") +
           confirmation("K1B", "20M", "19500101", "1200"),
       "LL",
       {"K1B on 20500101, Band 20M, Time 1200 not found "}},
      {"an unknown month never matches",
       {worked("K1A", "01 XYZ 26", "1200")},
       kHead + confirmation("K1A", "20M", "202601", "1200"),
       " ",
       {"K1A on 202601, Band 20M, Time 1200 not found "}},
      {"QSL_RCVD N is no confirmation",
       {worked("K1A", "01 JAN 26", "1200"), worked("K1B", "01 JAN 26", "1200"), worked("K1C", "01 JAN 26", "1200")},
       kHead + confirmation("K1A", "20M", "20260101", "1200", "N") +
           confirmation("K1B", "20M", "20260101", "1200", "Y") + confirmation("K1C", "20M", "20260101", "1200", "n") +
           confirmation("K9Z", "20M", "20260101", "1200", "N") + confirmation("K1C", "20M", "20260101", "1200", "NO") +
           confirmation("K9Y", "20M", "20260101", "1200", "Y"),
       " LL",
       {"K9Y on 20260101, Band 20M, Time 1200 not found "}},
      {"no <EOH>: read from the first line",
       {worked("K1A", "01 JAN 26", "1200")},
       "<PROGRAMID:4>LoTW\r\n" + confirmation("K1A", "20M", "20260101", "1200") + "<APP_LoTW_EOF>\r\n",
       "L",
       {}},
      {"what stands before <EOH> is header, even a whole record",
       {worked("K1A", "01 JAN 26", "1200"), worked("K1B", "01 JAN 26", "1200")},
       confirmation("K1A", "20M", "20260101", "1200") + kHead + confirmation("K1B", "20M", "20260101", "1200"),
       " L",
       {}},
      {"an importer's record, padded with 0x00",
       {imported("K1A"), imported("K1B")},
       kHead + confirmation("K1A", "20M", "20260101", "1200") + confirmation("K1B ", "20M", "20260101", "1200"),
       std::string("L\0", 2),
       {"K1B  on 20260101, Band 20M, Time 1200 not found "}},
      {"values end where their length says; the date's type is passed over",
       {worked("K1A", "01 JAN 26", "1200"), worked("K1AB", "01 JAN 26", "1200")},
       kHead + "<CALL:3>K1AB<BAND:3>20M<QSO_DATE:8:D>20260101<TIME_ON:4>1200 extra<EOR>\r\n",
       "L ",
       {}},
      {"broken tags take what stands after the next \">\", within the line",
       {worked("K1A", "01 JAN 26", "1200")},
       kHead + std::string("<CALL:-3>\xff\0<BAND:<QSO_DATE:8<TIME_ON:<EOR>\r\n", 44),
       " ",
       {" on , Band , Time  not found "}},
      {"a confirmation cut off by the end of the file is dropped",
       {worked("K1A", "01 JAN 26", "1200")},
       kHead + "<CALL:3>K1A\r\n<BAND:3>20M\r\n<QSO_DATE:8>20260101\r\n<TIME_ON:4>1200\r\n",
       " ",
       {}},
  };
  for (const Case& c : cases) {
    const Updated u = update(c.log, c.file);
    EXPECT_EQ(u.received, c.received) << c.what;
    EXPECT_EQ(u.printed, c.printed) << c.what;
  }
}

// The upload file of entry 9 read back by entry 10. It carries <QSL_RCVD:1>N for
// every contact without a received mark, and those are no confirmations; with the
// marks turned to Y (as LOTW answers once the other station has uploaded too) every
// contact the match rules can find is marked, and the rest are the ones they predict.
TEST(LotwUpdate, AnExportReadBack) {
  LogRecord cq = worked("CQ TEST", "01 JAN 26", "1200", "14.025", " X");
  const std::vector<LogRecord> log = {
      worked("A1", "01 JAN 26", "1200", "14.025", " X"),
      worked("A1", "01 JAN 26", "1259", "14.030", " X"),  // the first contact takes its confirmation
      worked("A1", "01 JAN 26", "1230", "7.025", " X"),
      worked("B2", "01 JAN 26", "1200", "2.0", " X"),    // no band in the file
      worked("C3", "01 JAN 26", "1200", "432.1", " X"),  // 70CM: not a row of the update
      imported("D4"),
      cq,  // not exported
      worked("E5", "01 JAN 26", "1200", "14.025", "LL"),
      worked("F6", "01 XYZ 26", "1200", "14.025", " X"),
      worked("G7", "31 DEC 99", "2330", "50.1", " X"),
      worked("G7", "31 DEC 99", "2331", "50.1", " X"),  // the same again: never marked
      worked("H8", "01 JAN 26", "1200", "14.025", "  "),
  };
  std::string bytes;
  for (const LogRecord& r : log) bytes += recordBytes(r);
  Station s(bytes);
  menu(s, "9", "UPLOAD.ADI", "N", "", "", "", "", "", "", "", "");
  s.run();
  const std::string upload = readFile("UPLOAD.ADI");
  std::string allYes = upload;
  for (size_t at; (at = allYes.find("<QSL_RCVD:1>N")) != std::string::npos;) allYes[at + 12] = 'Y';
  const std::vector<std::string> notFound = {"B2 on 20260101, Band , Time 1200 not found ",
                                             "C3 on 20260101, Band 70CM, Time 1200 not found ",
                                             "F6 on 202601, Band 20M, Time 1200 not found "};
  const Updated asWritten = update(log, upload);
  EXPECT_EQ(asWritten.received, std::string("BXBXX\0XLXBX ", 12));
  EXPECT_EQ(asWritten.printed, notFound);
  const Updated confirmed = update(log, allYes);
  EXPECT_EQ(confirmed.received, "BXBXXLXLXBXL");
  EXPECT_EQ(confirmed.printed, notFound);
}

TEST(LotwUpdate, RealDownloads) {
  const std::string folder = testing::sourceDir() + "/../shared/realdata/lotw/";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no real LOTW files here";
  std::string detail, empty;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("lotw-2018-detail")) detail = entry.path().string();
    if (name.starts_with("lotw-2022-empty-no-eoh")) empty = entry.path().string();
  }
  ASSERT_FALSE(detail.empty() || empty.empty());
  // 485 confirmations, one field per line, CR LF, text after values; four of them
  // in the log (the first, the second, the last but one, the last).
  const std::vector<LogRecord> log = {
      worked("OE3UKW", "18 JAN 18", "2149", "3.5738"), worked("K1BZ", "18 JAN 18", "1337", "10.1364"),
      worked("IZ8XXE", "02 JAN 18", "1500", "10.136", " X"), worked("5B4AIF", "20 DEC 17", "1600", "10.1364"),
      worked("5B4AIF", "20 DEC 17", "1619", "14.074")};
  std::string bytes;
  for (const LogRecord& r : log) bytes += recordBytes(r);
  struct Case {
    std::string file, received;
  };
  for (const Case& c : {Case{detail, "LLBL "}, Case{empty, "  X  "}}) {
    Station s(bytes);
    writeFile("LOTW.ADI", readFile(c.file));
    menu(s, "10", "LOTW.ADI");
    s.terminal.ext(keys::kF3);
    s.run();
    std::string received;
    for (long long n = 1; n <= 5; ++n) received += s.record(n).get(Field::SR)[1];
    EXPECT_EQ(received, c.received) << c.file;
  }
}

}  // namespace kivo
