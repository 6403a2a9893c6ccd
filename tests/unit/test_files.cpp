#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <functional>

#include "common/fatal.h"
#include "common/files.h"
#include "logbook/records/record_file.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(Files, LinesEndInCrLfOrLfAndALastLineNeedsNoEnd) {
  EXPECT_EQ(splitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(splitLines(""), std::vector<std::string>{});
  EXPECT_EQ(splitLines("x\ry\n"), std::vector<std::string>{"x\ry"});
  EXPECT_EQ(splitLines(std::string("\0\xff\n", 3)), std::vector<std::string>{std::string("\0\xff", 2)});
}

TEST(Files, TextReaderMatchesSplitLines) {
  TempDir dir;
  std::string bytes = "one\r\ntwo\n\nlast";
  writeFile("T.TXT", bytes);
  TextReader r;
  r.open("T.TXT");
  std::vector<std::string> lines;
  std::string line;
  while (r.readLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, splitLines(bytes));
}

TEST(Files, MissingFileIsError2) {
  TempDir dir;
  try {
    readTextLines("NOPE.DAT");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 2);
  }
  TextReader r;
  EXPECT_FALSE(r.tryOpen("NOPE.DAT"));
  ::mkdir("FOLDER", 0755);
  try {
    readWholeFile("FOLDER");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 3);
  }
}

TEST(Files, UpperCaseNamesFindLowerCaseFiles) {
  TempDir dir;
  ::mkdir("station", 0755);
  writeFile("station/Country.dat", "x");
  EXPECT_EQ(resolveExisting("STATION/COUNTRY.DAT"), "station/Country.dat");
  EXPECT_EQ(readWholeFile("STATION/COUNTRY.DAT"), "x");
  // A file that is created keeps its name as given; its folder is still found.
  EXPECT_EQ(resolveForCreate("STATION/NEW.DAT"), "station/NEW.DAT");
  // An exact name wins over a case-insensitive match.
  writeFile("station/COUNTRY.DAT", "y");
  EXPECT_EQ(readWholeFile("STATION/COUNTRY.DAT"), "y");
  EXPECT_EQ(resolveExisting("/NO/SUCH/THING"), "/NO/SUCH/THING");
}

TEST(Files, AtomicWriteReplacesWholeAndKeepsPermissions) {
  TempDir dir;
  writeFile("GRID.SQU", "old\r\n");
  ::chmod("GRID.SQU", 0640);
  writeFileAtomically("GRID.SQU", "new\r\n");
  EXPECT_EQ(readFile("GRID.SQU"), "new\r\n");
  struct stat st;
  ASSERT_EQ(::stat("GRID.SQU", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Nothing temporary is left behind.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(".")) (void)e, ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(Files, AFailedWriteIsReportedAndLeavesTheTargetAlone) {
  TempDir dir;
  writeFile("KEEP.TXT", "precious");
  ::mkdir("RO", 0555);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_THROW(writeFileAtomically("RO/X.TXT", "data"), RuntimeError);
  }
  {
    AtomicWriter w("KEEP.TXT");
    w.write("half");
    // no commit: the target stays as it was
  }
  EXPECT_EQ(readFile("KEEP.TXT"), "precious");
  EXPECT_THROW(writeFileAtomically("NO/SUCH/DIR/X.TXT", "data"), RuntimeError);
}

TEST(Files, RecordCountRoundsAPartialRecord) {
  EXPECT_EQ(recordCountForLength(0), 0);
  EXPECT_EQ(recordCountForLength(144), 1);
  EXPECT_EQ(recordCountForLength(144 + 73), 2);
  EXPECT_EQ(recordCountForLength(144 + 72), 2);  // 1.5 rounds to even
  EXPECT_EQ(recordCountForLength(72), 0);        // 0.5 rounds to even
  EXPECT_EQ(recordCountForLength(288 + 72), 2);  // 2.5 rounds to even
  EXPECT_EQ(recordCountForLength(71), 0);
  EXPECT_EQ(recordCountForLength(73), 1);
}

TEST(Files, RecordFileReadsZerosPastTheEnd) {
  TempDir dir;
  writeFile("LOG.DAT", std::string(144, 'A') + std::string(73, 'B'));
  RecordFile f;
  f.open("LOG.DAT");
  EXPECT_EQ(f.count(), 2);
  uint8_t rec[144];
  f.read(2, rec);
  EXPECT_EQ(rec[0], 'B');
  EXPECT_EQ(rec[72], 'B');
  EXPECT_EQ(rec[73], 0);
  EXPECT_EQ(rec[143], 0);
  f.read(5, rec);
  for (uint8_t b : rec) ASSERT_EQ(b, 0);
  std::fill(std::begin(rec), std::end(rec), 'C');
  f.write(3, rec);
  EXPECT_EQ(f.length(), 3 * 144);
  EXPECT_EQ(readFile("LOG.DAT").substr(288), std::string(144, 'C'));
  EXPECT_TRUE(f.close());
  EXPECT_THROW(f.write(1, rec), RuntimeError);
}

namespace {
int errorOf(const std::function<void()>& step) { return testing::errorNumberOf<RuntimeError>(step); }
}  // namespace

TEST(Files, ReplacingKeepsEachOldFileAsABackupOrChangesNothing) {
  TempDir dir;
  writeFile("WORKED.CFM", "old worked");
  writeFile("GRID.SQU", "old grid");
  writeFile("GRID.SQU.bak", "older grid");
  ASSERT_EQ(::link("WORKED.CFM", "SHARED.CFM"), 0);  // a second name, through which it may still be written
  auto inode = [](const char* name) {
    struct stat st {};
    ::stat(name, &st);
    return st.st_ino;
  };
  const ino_t oldGrid = inode("GRID.SQU");
  {
    testing::FileSizeLimit limit(8);  // a failed write of the second leaves files and backups as they were
    EXPECT_EQ(errorOf([] {
                replaceKeepingBackups({{"WORKED.CFM", "old worked", "new"}, {"GRID.SQU", "", "a new grid"}});
              }),
              kFileIoError);
  }
  EXPECT_EQ(readFile("WORKED.CFM") + readFile("GRID.SQU") + readFile("GRID.SQU.bak"), "old workedold gridolder grid");
  EXPECT_FALSE(testing::exists("WORKED.CFM.bak"));

  replaceKeepingBackups({{"WORKED.CFM", "old worked", "new worked"}, {"GRID.SQU", "old grid", "new grid"}});
  EXPECT_EQ(readFile("WORKED.CFM") + readFile("GRID.SQU"), "new workednew grid");
  EXPECT_EQ(readFile("GRID.SQU.bak"), "old grid");
  EXPECT_EQ(inode("GRID.SQU.bak"), oldGrid);  // kept by a second name, not written again
  writeFile("SHARED.CFM", "written through the other name");
  EXPECT_EQ(readFile("WORKED.CFM.bak"), "old worked");
  int entries = 0;  // nothing temporary is left behind
  for (auto& e : std::filesystem::directory_iterator(".")) (void)e, ++entries;
  EXPECT_EQ(entries, 5);
}

TEST(Files, WritesPastAFileSizeLimitFailAndLeaveNoPieceOfARecord) {
  TempDir dir;
  writeFile("LOG.DAT", std::string(6 * 144, 'A'));
  writeFile("GRID.SQU", "old\r\n");
  RecordFile log;
  log.open("LOG.DAT");
  uint8_t rec[144];
  std::fill(std::begin(rec), std::end(rec), 'N');
  {
    testing::FileSizeLimit limit(1000);  // record 7 would end at 1008: 136 bytes of it fit
    EXPECT_EQ(errorOf([&] { log.write(7, rec); }), kFileIoError);
    EXPECT_EQ(errorOf([&] { writeFileAtomically("GRID.SQU", std::string(2000, 'x')); }), kFileIoError);
  }
  EXPECT_EQ(readFile("LOG.DAT"), std::string(6 * 144, 'A'));
  EXPECT_EQ(readFile("GRID.SQU"), "old\r\n");
  log.write(7, rec);
  EXPECT_EQ(log.count(), 7);
}

}  // namespace kivo
