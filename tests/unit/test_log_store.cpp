#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/fatal.h"
#include "logbook/records/log_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

namespace {
using Fixture = testing::ScriptedLogbook;

std::string lineFormat(const std::string& date, const std::string& call, const std::string& comment) {
  std::string sep(1, '\xff');
  std::string line = date + sep + "14.02500" + sep + "CW  " + sep + "100 " + sep + "1200" + sep;
  line += call + std::string(16 - call.size(), ' ') + sep + "599" + sep + "579" + sep + "1205" + sep;
  line += "USA         " + sep + "  " + sep + comment;
  return line;
}
}  // namespace

TEST(LogRecord, SeparatorsAndLineEndAtTheirOffsets) {
  LogRecord r;
  r.set(Field::DATE, "06 DEC 26");
  r.set(Field::STATION, "K1ABC");
  r.set(Field::COMMENTS, std::string(50, 'x'));  // cut to 38
  r.setSeparators();
  for (int off : {10, 21, 28, 35, 42, 61, 67, 73, 80, 95, 100}) {
    EXPECT_EQ(r.bytes[static_cast<size_t>(off)], 0xFF) << off;
    EXPECT_EQ(r.bytes[static_cast<size_t>(off + 1)], 0x00) << off;
  }
  for (int off : {9, 20, 27, 34, 41, 60, 66, 72, 79, 94, 99, 140, 143})
    EXPECT_EQ(r.bytes[static_cast<size_t>(off)], 0x00) << off;
  EXPECT_EQ(r.bytes[141], '\r');
  EXPECT_EQ(r.bytes[142], '\n');
  EXPECT_EQ(r.get(Field::STATION), "K1ABC           ");
  EXPECT_EQ(r.get(Field::COMMENTS), std::string(38, 'x'));
  r.setZeroPadded(Field::MODE, "CW");
  EXPECT_EQ(r.get(Field::MODE), std::string("CW\0\0", 4));
}

TEST(LogStore, WriteAppendsAndReadsBack) {
  TempDir dir;
  Fixture f;
  openLog(f.lb, "LOGMAIN.DAT");
  EXPECT_TRUE(testing::exists("LOGMAIN.DAT"));
  EXPECT_EQ(recordCount(f.lb), 0);
  readRecord(f.lb, 1);
  EXPECT_EQ(f.lb.record, LogRecord{});
  f.lb.record.set(Field::STATION, "Q1QQ");
  f.lb.record.setSeparators();
  writeRecord(f.lb, recordCount(f.lb) + 1);
  f.lb.record.set(Field::STATION, "Q2QQ");
  writeRecord(f.lb, recordCount(f.lb) + 1);
  EXPECT_EQ(recordCount(f.lb), 2);
  readRecord(f.lb, 1);
  EXPECT_EQ(f.lb.record.get(Field::STATION).substr(0, 4), "Q1QQ");
  std::string bytes = readFile("LOGMAIN.DAT");
  ASSERT_EQ(bytes.size(), 288u);
  EXPECT_EQ(bytes.substr(144 + 141, 3), std::string("\r\n\0", 3));
  closeLog(f.lb);
}

TEST(LogStore, ConvertsALineFormatLogOnce) {
  TempDir dir;
  std::string text = lineFormat("01 JAN 92", "K1ABC", "FIRST") + "\r\n" + lineFormat("02 JAN 92", "DL1XYZ", "") +
                     "\r\n" + "short\r\n" + lineFormat("03 JAN 92", std::string("W1\0W", 4), "") + "\r\n" +
                     lineFormat("04 JAN 92", "JA1AA", "LAST") + "\n";
  writeFile("LOGMAIN.DAT", text);
  Fixture f;
  openLog(f.lb, "LOGMAIN.DAT");
  EXPECT_EQ(readFile("LOGMAIN.DAT.org"), text);
  EXPECT_EQ(recordCount(f.lb), 5);
  readRecord(f.lb, 1);
  EXPECT_EQ(f.lb.record.get(Field::DATE), "01 JAN 92");
  EXPECT_EQ(f.lb.record.get(Field::FREQ), "14.02500");
  EXPECT_EQ(f.lb.record.get(Field::COUNTRY), "USA         ");
  EXPECT_EQ(f.lb.record.get(Field::COMMENTS), "FIRST" + std::string(33, ' '));
  EXPECT_EQ(f.lb.record.bytes[9], 0x00);
  EXPECT_EQ(f.lb.record.bytes[10], 0xFF);
  readRecord(f.lb, 3);  // a short line is padded with blanks
  EXPECT_EQ(f.lb.record.get(Field::DATE), "short    ");
  EXPECT_EQ(f.lb.record.get(Field::STATION), std::string(16, ' '));
  readRecord(f.lb, 4);  // a line with 0x00 is not written; its number reads as zeros
  EXPECT_EQ(f.lb.record, LogRecord{});
  readRecord(f.lb, 5);
  EXPECT_EQ(f.lb.record.get(Field::STATION).substr(0, 5), "JA1AA");
  closeLog(f.lb);

  // The next start does not convert again.
  std::string converted = readFile("LOGMAIN.DAT");
  writeFile("LOGMAIN.DAT.org", "sentinel");
  openLog(f.lb, "LOGMAIN.DAT");
  EXPECT_EQ(readFile("LOGMAIN.DAT"), converted);
  EXPECT_EQ(readFile("LOGMAIN.DAT.org"), "sentinel");
  EXPECT_EQ(recordCount(f.lb), 5);
}

TEST(LogStore, ALastLineWithZeroBytesLeavesNoRecord) {
  TempDir dir;
  writeFile("L.DAT", lineFormat("01 JAN 92", "K1ABC", "") + "\r\n" + lineFormat("02 JAN 92", std::string("\0", 1), ""));
  Fixture f;
  openLog(f.lb, "L.DAT");
  EXPECT_EQ(recordCount(f.lb), 1);
}

// A log that cannot be written must not look like an empty one until the first
// contact fails: opening it ends the run at once, naming the file, writing nothing.
// Root may write any file, so there the read-only log is tried by a child that has
// given up root.
TEST(LogStore, ALogThatCannotBeWrittenEndsTheRunAtOnce) {
  TempDir dir;
  ::mkdir("LOG.DAT", 0755);  // a folder cannot be a log
  writeFile("RO.DAT", std::string(144, 'x'));
  ::chmod("RO.DAT", 0444);
  ::chmod(".", 0755);
  auto openFails = [](const char* name) {
    Fixture f;
    try {
      openLog(f.lb, name);
    } catch (const RuntimeError& e) {
      return e.number() == 3 && e.place().find(name) != std::string::npos && !f.lb.log.isOpen();
    }
    return false;
  };
  EXPECT_TRUE(openFails("LOG.DAT"));
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(openFails("RO.DAT") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(readFile("RO.DAT"), std::string(144, 'x'));
}

TEST(LogStore, ATrailingPartialRecordCountsWhenLongerThanHalf) {
  TempDir dir;
  // A log's first record, then a piece of a second one (a file of other bytes is
  // refused as no log).
  LogRecord first;
  first.setSeparators();
  const std::string record(reinterpret_cast<const char*>(first.bytes.data()), kRecordSize);
  writeFile("A.DAT", record + std::string(73, 'x'));
  writeFile("B.DAT", record + std::string(72, 'x'));
  Fixture f;
  openLog(f.lb, "A.DAT");
  EXPECT_EQ(recordCount(f.lb), 2);
  readRecord(f.lb, 2);
  EXPECT_EQ(f.lb.record.bytes[72], 'x');
  EXPECT_EQ(f.lb.record.bytes[73], 0);
  openLog(f.lb, "B.DAT");
  EXPECT_EQ(recordCount(f.lb), 2);  // 1.5 rounds to the even 2
}

}  // namespace kivo
