// kivoconv's import and export on a station in a scratch folder: duplicates, rejects
// and the summary, the tables, the locks, a failed write, the round trip, and the
// files of other programs under ../shared/realdata.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/text.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/adif_bands.h"
#include "logbook/interchange/log_export.h"
#include "logbook/interchange/log_import.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/records.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

using namespace kivo;
using kivo::testing::readFile;
using kivo::testing::writeFile;

namespace {

std::string entityLine(const std::string& name) {
  std::string line = std::string(16, ' ') + name + std::string(12 - name.size(), ' ') + std::string(14, ' ');
  line += '\xb3';
  for (int k = 0; k < 18; ++k) line += " \xb3";
  return line + "\r\n";
}

struct Station {
  kivo::testing::TempDir dir;
  ScriptedTerminal terminal;
  Console console{terminal};
  Logbook lb{console};
  Station() {
    writeFile("COUNTRY.DAT", "HEAD\r\n----\r\nK          USA\r\nDL         GERMANY\r\nG          ENGLAND\r\n");
    writeFile("WORKED.CFM", "TABLE\r\n" + entityLine("USA") + entityLine("GERMANY") + "END\r\n");
    writeFile("GRID.SQU", "");
  }
  std::vector<FileSummary> import(std::vector<std::string> files, const std::string& newLog = "", bool tables = true) {
    ImportRequest request;
    request.inputs = std::move(files);
    request.newLog = newLog;
    request.tables = tables;
    return importContacts(request, lb, nullptr);
  }
};

std::string adif(const std::string& call, const std::string& date, const std::string& time,
                 const std::string& more = "<FREQ:6>14.025<MODE:2>CW") {
  return "<CALL:" + std::to_string(call.size()) + ">" + call + "<QSO_DATE:8>" + date + "<TIME_ON:4>" + time + more +
         "<EOR>\n";
}

int statusOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const ConversionError& e) {
    return e.status();
  }
  return 0;
}

std::string field(const std::string& log, size_t n, Field f) {
  return log.substr((n - 1) * 144 + static_cast<size_t>(fieldInfo(f).offset), static_cast<size_t>(fieldInfo(f).width));
}

}  // namespace

TEST(KivoconvImport, DuplicatesRejectsAndTheSummary) {
  Station s;
  writeFile("A.ADI", "header\n<EOH>\n" + adif("K1AB", "20240101", "1200") + "<QSO_DATE:8>20240101 <EOR>\n" +
                         adif("K1AB", "20240101", "1202") + adif("K1AB", "20240101", "1203") +
                         adif("K1AB", "20240101", "1200", "<FREQ:5>7.025<MODE:2>CW"));
  auto first = s.import({"A.ADI"});
  EXPECT_EQ(summaryLine(first[0]), "A.ADI: 5 records, 3 added, 1 duplicates, 1 rejected");
  EXPECT_EQ(readFile("A.ADI.rejected"),
            "Records of A.ADI that were not imported, each after its line number and the reason\n<EOH>\n\n"
            "// line 4: no call\n<QSO_DATE:8>20240101 <EOR>\n");
  EXPECT_EQ(readFile("LOGMAIN.DAT").size(), 3u * 144);
  // The same file again adds nothing; so does a Cabrillo log of the same contacts.
  writeFile("B.LOG",
            "START-OF-LOG: 3.0\nQSO: 14025 CW 2024-01-01 1201 Q1QQ 599 1 K1AB 599 2\nX-QSO: 14025 CW "
            "2024-01-01 1300 Q1QQ 599 1 K2XX 599 2\nEND-OF-LOG:\n");
  auto again = s.import({"A.ADI", "B.LOG"});
  EXPECT_EQ(summaryLine(again[0]), "A.ADI: 5 records, 0 added, 4 duplicates, 1 rejected");
  EXPECT_EQ(summaryLine(again[1]), "B.LOG: 1 records, 0 added, 1 duplicates, 0 rejected");
  EXPECT_EQ(readFile("LOGMAIN.DAT").size(), 3u * 144);
  // The rejected record, corrected, goes in.
  writeFile(
      "A.ADI.rejected",
      readFile("A.ADI.rejected").replace(readFile("A.ADI.rejected").find("<QSO"), 0, "<CALL:4>DL1X<TIME_ON:4>0900"));
  EXPECT_EQ(summaryLine(s.import({"A.ADI.rejected"})[0]),
            "A.ADI.rejected: 1 records, 1 added, 0 duplicates, 0 rejected");
  EXPECT_EQ(field(readFile("LOGMAIN.DAT"), 4, Field::COUNTRY), "GERMANY     ");
}

// The import marks the tables exactly as the logbook's own update does, record by
// record, and leaves them alone with --no-tables.
TEST(KivoconvImport, TablesAsTheLogbookUpdatesThem) {
  Station s;
  std::string text;
  const char* mores[] = {"<FREQ:6>14.025<MODE:2>CW",
                         "<FREQ:5>7.100<MODE:3>SSB<QSL_RCVD:1>Y",
                         "<BAND:2>6m<MODE:2>FM<GRIDSQUARE:4>FN31",
                         "<BAND:2>2m<MODE:2>FM<GRIDSQUARE:6>FN42ab<PROP_MODE:3>SAT",
                         "<FREQ:6>21.074<MODE:3>FT8<TX_PWR:1>5",
                         "<BAND:2>6m<MODE:2>CW<GRIDSQUARE:4>FN31<LOTW_QSL_RCVD:1>Y"};
  int i = 0;
  for (const char* more : mores)
    for (const char* call : {"K1AB", "DL2CD", "G3EF", "K9ZZ"}) {
      const int minute = 3 * i++;
      text += adif(call, "20240101", std::to_string(1000 + minute / 60 * 100 + minute % 60), more);
    }
  writeFile("T.ADI", text);
  const std::string worked = readFile("WORKED.CFM");
  s.import({"T.ADI"}, "", false);
  EXPECT_EQ(readFile("WORKED.CFM"), worked);
  EXPECT_EQ(readFile("GRID.SQU"), "");
  std::filesystem::remove("LOGMAIN.DAT");
  s.import({"T.ADI"});
  const std::string log = readFile("LOGMAIN.DAT");
  ASSERT_EQ(log.size(), 24u * 144);
  const std::string importedWorked = readFile("WORKED.CFM"), importedGrid = readFile("GRID.SQU");
  EXPECT_EQ(importedGrid, "FN31 X\r\nFN42 /\r\n");  // the last 6 m contact is confirmed
  EXPECT_NE(importedWorked, worked);
  writeFile("WORKED.CFM", worked);
  writeFile("GRID.SQU", "");
  *s.lb.grid = loadGridTable("GRID.SQU");
  for (size_t n = 0; n < 24; ++n) {
    std::memcpy(s.lb.record.bytes.data(), log.data() + n * 144, 144);
    updateWorkedTables(s.lb);
  }
  EXPECT_EQ(readFile("WORKED.CFM"), importedWorked);
  EXPECT_EQ(readFile("GRID.SQU"), importedGrid);
}

TEST(KivoconvImport, LocksOfARunningLogbookAndAFailedWrite) {
  Station s;
  writeFile("A.ADI", adif("K1AB", "20240101", "1200") + adif("K1CD", "20240101", "1300"));
  {
    FolderLock station("WORKED.CFM");
    EXPECT_EQ(statusOf([&] { s.import({"A.ADI"}); }), 3);
    EXPECT_FALSE(kivo::testing::exists("LOGMAIN.DAT"));
  }
  writeFile("LOGMAIN.DAT", "");
  s.import({"A.ADI"});
  const std::string before = readFile("LOGMAIN.DAT");
  writeFile("B.ADI", adif("K2AB", "20240101", "1200") + adif("K2CD", "20240101", "1300"));
  {
    const int fd = ::open("LOGMAIN.DAT", O_RDWR);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);  // as the logbook holds its log
    EXPECT_EQ(statusOf([&] { s.import({"B.ADI"}); }), 3);
    ::close(fd);
  }
  {
    kivo::testing::FileSizeLimit limit(before.size() + 200);
    EXPECT_EQ(statusOf([&] { s.import({"B.ADI"}); }), 3);
  }
  EXPECT_EQ(readFile("LOGMAIN.DAT"), before);
  EXPECT_EQ(statusOf([&] { s.import({"MISSING.ADI"}); }), 2);
  EXPECT_EQ(statusOf([&] { s.import({"B.ADI"}, "LOGMAIN.DAT"); }), 2);  // --new over an existing log
  EXPECT_EQ(readFile("LOGMAIN.DAT"), before);
}

// The log is written a block at a time as the file is read, and the tables are
// updated after the sync from the records read back: an import of several blocks,
// whose last record is the first of its entity and mode, marks the tables as an
// update record by record does; a write that fails in the second block leaves the
// log, the tables and the folder of a new log as they were.
TEST(KivoconvImport, SeveralBlocksAndAWriteThatFailsAfterTheFirst) {
  Station s;
  const size_t count = 20000;
  std::string text;
  for (size_t i = 1; i < count; ++i) text += adif("K" + std::to_string(i), "20240101", "1200");
  text += adif("DL1AB", "20240102", "1200", "<FREQ:5>7.100<MODE:3>SSB<QSL_RCVD:1>Y");
  writeFile("BIG.ADI", text);
  const std::string worked = readFile("WORKED.CFM");
  writeFile("LOGMAIN.DAT", "");
  {
    kivo::testing::FileSizeLimit limit(10000 * 144);  // a block holds some 8,000 records
    EXPECT_EQ(statusOf([&] { s.import({"BIG.ADI"}); }), 3);
    EXPECT_EQ(statusOf([&] { s.import({"BIG.ADI"}, "NEW.DAT"); }), 3);
  }
  EXPECT_EQ(readFile("LOGMAIN.DAT"), "");
  EXPECT_EQ(readFile("WORKED.CFM"), worked);
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename().string().find("NEW.DAT"), std::string::npos) << entry.path();

  EXPECT_EQ(summaryLine(s.import({"BIG.ADI"})[0]), "BIG.ADI: 20000 records, 20000 added, 0 duplicates, 0 rejected");
  const std::string log = readFile("LOGMAIN.DAT");
  ASSERT_EQ(log.size(), count * 144);
  EXPECT_EQ(field(log, 1, Field::STATION), "K1              ");
  EXPECT_EQ(field(log, count, Field::STATION), "DL1AB           ");
  const std::string importedWorked = readFile("WORKED.CFM");
  writeFile("WORKED.CFM", worked);
  beginWorkedBatch(s.lb);
  for (size_t n = 0; n < count; ++n) {
    std::memcpy(s.lb.record.bytes.data(), log.data() + n * 144, 144);
    updateWorkedTables(s.lb);
  }
  endWorkedBatch(s.lb);
  EXPECT_EQ(readFile("WORKED.CFM"), importedWorked);
  const auto lineOf = [](const std::string& table, const std::string& name) {
    const size_t at = table.find(name);
    return table.substr(at, table.find('\n', at) - at);
  };
  EXPECT_NE(lineOf(importedWorked, "GERMANY"), lineOf(worked, "GERMANY"));  // marked by the last record
}

// A log typed on the browse screen goes out as ADIF and comes back byte for byte.
TEST(KivoconvRoundTrip, ExportThenImportGivesTheLogBack) {
  Station s;
  struct Typed {
    const char *date, *freq, *mode, *pwr, *time, *call, *sn, *rd, *off, *country, *sr, *comments;
  } typed[] = {
      {"06 DEC 26", "14.02500", "CW", "100", "1234", "K1ABC", "579", "599", "1240", "USA", "  ", ""},
      {"31 JAN 99", "7.074", "FT8", "10", "0001", "DL1XYZ/P", "-10", "+02", "0003", "GERMANY", "LB", "TNX QSO"},
      {"29 FEB 48", "144.174", "FT4", "1.5", "2359", "G4ABC", "599", "599", "2359", "ENGLAND", "XX", "#IO91 SAT"},
      {"01 JUL 50", "3.79900", "SSB", "400", "1200", "K9ZZ", "59", "57", "1215", "USA", "BL", "@AS HELLO #FN42"},
      {"15 MAR 10", "50.125", "DATA", "5", "0800", "QX0XQZ", "599", "599", "0801", "?", "L ", " SAT LEADING BLANK"},
      {"15 MAR 10", "10.140", "PS31", "25", "0900", "DL0ABC", "599", "599", "0901", "GERMANY", " X", "@BM A <TAG> & %"},
      {"02 APR 24", "", "JS8", "20", "1000", "K2A", "599", "599", "1001", "USA", "  ", ""},
      {"02 APR 24", "1296.200", "J9HF", "100", "1100", "K2B", "599", "599", "1101", "USA", "  ", ""},
  };
  std::string log;
  for (const Typed& t : typed) {
    LogRecord r;
    r.set(Field::DATE, t.date), r.set(Field::FREQ, t.freq), r.set(Field::MODE, t.mode), r.set(Field::PWR, t.pwr);
    r.set(Field::TIME, t.time), r.set(Field::STATION, t.call), r.set(Field::SN, t.sn), r.set(Field::RD, t.rd);
    r.set(Field::TOFF, t.off), r.set(Field::COUNTRY, t.country), r.set(Field::SR, t.sr);
    r.set(Field::COMMENTS, t.comments);
    r.setSeparators();
    log.append(reinterpret_cast<const char*>(r.bytes.data()), 144);
  }
  writeFile("LOGMAIN.DAT", log);
  writeFile("KIVOLOG.INI",
            "\"Q1QQ\"\r\n\"NA\"\r\n\"05\"\r\n\"08\"\r\n\"\"\r\n\"FN31\"\r\n\"CT\"\r\n\"HARTFORD\"\r\n"
            "\"\"\r\n\"\"\r\n\"FN32\"\r\n\"LITCHFIELD\"\r\n");
  ExportRequest out;
  out.output = "OUT.ADI";
  out.timestamp = "20261208 120000";
  EXPECT_EQ(exportLog(out), 8);
  const std::string adifText = readFile("OUT.ADI");
  EXPECT_EQ(adifText.find_first_of("\x80\xff"), std::string::npos);
  EXPECT_NE(adifText.find("<CALL:5>K1ABC <QSO_DATE:8>20261206 <TIME_ON:4>1234 <TIME_OFF:4>1240 <FREQ:8>14.02500 "
                          "<BAND:3>20m <MODE:2>CW <RST_SENT:3>579 <RST_RCVD:3>599 <TX_PWR:3>100 <QSL_SENT:1>N "
                          "<QSL_RCVD:1>N <LOTW_QSL_SENT:1>N <LOTW_QSL_RCVD:1>N <STATION_CALLSIGN:4>Q1QQ "
                          "<OPERATOR:4>Q1QQ <MY_GRIDSQUARE:4>FN31 <MY_STATE:2>CT <MY_CNTY:8>HARTFORD "
                          "<MY_CQ_ZONE:2>05 <MY_ITU_ZONE:2>08 <EOR>\n"),
            std::string::npos)
      << adifText;
  EXPECT_NE(adifText.find("<MY_GRIDSQUARE:4>FN32 <MY_STATE:2>CT <MY_CNTY:10>LITCHFIELD"), std::string::npos);
  EXPECT_NE(adifText.find("<QSO_DATE:8>19990131"), std::string::npos);
  EXPECT_NE(adifText.find("<GRIDSQUARE:4>IO91 <PROP_MODE:3>SAT"), std::string::npos);
  s.import({"OUT.ADI"}, "BACK.DAT");
  EXPECT_EQ(readFile("BACK.DAT"), log);
  out.from = 2, out.to = 3, out.since = "20000101", out.output = "PART.ADI";
  EXPECT_EQ(exportLog(out), 1);  // record 2 is of 1999
}

// Every file of other programs imported with the call, date, time, band and mode of
// its records right: values written here by hand from the files.
TEST(KivoconvRealData, EveryFileImports) {
  const std::string root = kivo::testing::sourceDir() + "/../shared/realdata/";
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no ../shared/realdata: the real files are not here";
  Station s;
  struct Expect {
    size_t record;
    const char *call, *date, *time, *band, *mode;
  };
  struct File {
    const char* path;
    long long records, added;
    std::vector<Expect> expect;
  };
  const std::vector<File> files = {
      {"adif/hrd-6.7__EI3CTB_ADIF__wsjtx_log__EXCERPT-first400.adi",
       400,
       400,
       {{1, "II1RAPL", "24 DEC 24", "0143", "80M", "FT8"},
        {3, "F4EXB", "23 DEC 24", "1624", "17M", "FT4"},
        {5, "9A530Z", "23 DEC 24", "1541", "20M", "FT4"}}},
      {"adif/monolog-adifspec-example__urbancamo_adif-processor__sample.adi",
       4,
       4,
       {{1, "VK9NS", "20 JUN 90", "1523", "20M", "RTTY"},
        {2, "ON4UN", "22 OCT 10", "0111", "40M", "PS63"},
        {3, "K0TET", "16 OCT 18", "2315", "70CM", "J9HF"},
        {4, "K0ABC", "16 OCT 18", "2318", "20M", ""}}},
      {"adif/noheader-typed__magicbug_Cloudlog__uploads_log.adi",
       708,
       708,
       {{1, "K5MAN", "01 JAN 06", "0225", "2M", "FM"}, {2, "NE0P", "01 JAN 06", "0224", "2M", "FM"}}},
      {"adif/rumlogng-2.9__profjrr_adif_to_csv__test.adif",
       15,
       15,
       {{1, "R7CD", "18 JUN 16", "0052", "40M", "CW"}, {2, "9K2HN", "18 JUN 16", "0053", "40M", "CW"}}},
      {"adif/wsjtx-2017__ei3kf_logbook__wsjtx_log.adi",
       558,
       553,
       {{1, "S56UVB", "31 OCT 17", "1351", "30M", "FT8"}, {5, "SM5FQQ", "31 OCT 17", "1419", "60M", "FT8"}}},
      {"lotw/lotw-2018-detail__eloranta_squares__lotwreport.adi",
       485,
       485,
       {{1, "K1BZ", "18 JAN 18", "1337", "30M", "FT8"}}},
      {"lotw/lotw-2022-empty-no-eoh__nigelhewitt_Logger__lotwreport.adi", 0, 0, {}},
      {"cabrillo/dxlog.net-2.6.18__kd4d_Contest-Log-Analyzer__IARU-HF-2025_GB0WR.log",
       1597,
       1597,
       {{1, "RC2O", "12 JUL 25", "1215", "15M", "CW"},
        {3, "UA1ZZ/3", "12 JUL 25", "1218", "20M", "CW"},
        {1597, "IK1JJM", "13 JUL 25", "1159", "10M", "CW"}}},
      {"cabrillo/n1mm-arrl-publiclog__kd4d_Contest-Log-Analyzer__ARRL-SS-CW-2024_k5nz.log",
       180,
       180,
       {{1, "K8LX", "02 NOV 24", "2101", "20M", "CW"},
        {12, "KI6RRN/KL7", "02 NOV 24", "2119", "20M", "CW"},
        {180, "WA6URY", "04 NOV 24", "0000", "15M", "CW"}}},
  };
  int n = 0;
  for (const File& f : files) {
    const std::string name = "NEW" + std::to_string(++n) + ".DAT";
    const auto summary = s.import({root + f.path}, name, false);
    EXPECT_EQ(summary[0].records, f.records) << f.path;
    EXPECT_EQ(summary[0].added, f.added) << f.path;
    const std::string log = readFile(name);
    for (const Expect& e : f.expect) {
      auto padded = [](const char* text, Field fl) {
        return std::string(text) + std::string(static_cast<size_t>(fieldInfo(fl).width) - std::strlen(text), ' ');
      };
      EXPECT_EQ(field(log, e.record, Field::STATION), padded(e.call, Field::STATION)) << f.path;
      EXPECT_EQ(field(log, e.record, Field::DATE), e.date) << f.path;
      EXPECT_EQ(field(log, e.record, Field::TIME), e.time) << f.path;
      EXPECT_EQ(field(log, e.record, Field::MODE), padded(e.mode, Field::MODE)) << f.path;
      const AdifBand* band = bandOf(static_cast<float>(parseNumber(field(log, e.record, Field::FREQ))));
      ASSERT_NE(band, nullptr) << f.path << " " << e.call;
      EXPECT_EQ(band->name, e.band) << f.path << " " << e.call;
    }
  }
  // A few more fields, by hand: the satellite log's square and marker, LOTW's confirmation, the exchange.
  EXPECT_EQ(field(readFile("NEW3.DAT"), 1, Field::COMMENTS).substr(0, 9), "#EM40 SAT");
  EXPECT_EQ(field(readFile("NEW6.DAT"), 1, Field::SR), " L");
  EXPECT_EQ(field(readFile("NEW9.DAT"), 1, Field::COMMENTS).substr(0, 12), "0002 M 64 MI");
  EXPECT_EQ(field(readFile("NEW8.DAT"), 1, Field::FREQ), "21.031  ");
}

// The export reads the log a block at a time and keeps what it made of the fields of
// the record before: a log longer than a block, each record unlike the one before in
// frequency, mode, power and QSL, comes out record by record, a short last record
// included, and a range across a block's end gives the same lines.
TEST(KivoconvRoundTrip, ExportAcrossBlocksOfTheLog) {
  Station s;
  const char* freqs[] = {"14.025", "7.0255", ""};
  const char* modes[] = {"CW", "FT8"};
  const char* powers[] = {"100", "5"};
  const char* marks[] = {"  ", "XL", "B "};
  const size_t count = 16384 + 5;
  std::string log;
  for (size_t i = 0; i <= count; ++i) {
    LogRecord r;
    r.set(Field::DATE, "01 JAN 24"), r.set(Field::FREQ, freqs[i % 3]), r.set(Field::MODE, modes[i % 2]);
    r.set(Field::PWR, powers[i % 2 == 0 ? (i / 2) % 2 : 0]), r.set(Field::TIME, "1200");
    r.set(Field::STATION, "K" + std::to_string(i)), r.set(Field::SR, marks[i % 3 == 0 ? 1 : (i / 3) % 3]);
    r.setSeparators();
    log.append(reinterpret_cast<const char*>(r.bytes.data()), i < count ? 144 : 100);  // the last one cut short
  }
  writeFile("LOGMAIN.DAT", log);
  writeFile("KIVOLOG.INI", "\"Q1QQ\"\r\n");
  ExportRequest out;
  out.output = "ALL.ADI";
  out.timestamp = "20261208 120000";
  ASSERT_EQ(exportLog(out), static_cast<long long>(count) + 1);
  std::vector<std::string> lines;
  const std::string all = readFile("ALL.ADI");
  for (size_t at = all.find("<EOH>\n") + 6; at < all.size(); at = all.find('\n', at) + 1)
    lines.push_back(all.substr(at, all.find('\n', at) - at));
  ASSERT_EQ(lines.size(), count + 1);
  for (size_t i = 0; i <= count; ++i) {
    LogRecord r;
    std::memcpy(r.bytes.data(), log.data() + i * 144, std::min<size_t>(144, log.size() - i * 144));
    const std::string call = "K" + std::to_string(i), freq = freqs[i % 3], mode = modes[i % 2];
    const std::string power = powers[i % 2 == 0 ? (i / 2) % 2 : 0], sr = r.get(Field::SR);
    std::string want = "<CALL:" + std::to_string(call.size()) + ">" + call + " <QSO_DATE:8>20240101 <TIME_ON:4>1200 ";
    if (!freq.empty())
      want += "<FREQ:" + std::to_string(freq.size()) + ">" + freq + (i % 3 ? " <BAND:3>40m " : " <BAND:3>20m ");
    want += "<MODE:" + std::to_string(mode.size()) + ">" + mode + " ";
    want += "<TX_PWR:" + std::to_string(power.size()) + ">" + power + " ";
    want += std::string("<QSL_SENT:1>") + (sr[0] == 'X' || sr[0] == 'B' ? "Y" : "N");
    ASSERT_EQ(lines[i].substr(0, want.size()), want) << i;
  }
  out.from = 16380, out.to = 16390, out.output = "PART.ADI";
  EXPECT_EQ(exportLog(out), 11);
  std::string part;
  for (size_t i = 16379; i < 16390; ++i) part += lines[i] + "\n";
  const std::string written = readFile("PART.ADI");
  EXPECT_EQ(written.substr(written.find("<EOH>\n") + 6), part);
}
