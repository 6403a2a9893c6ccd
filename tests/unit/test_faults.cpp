// What must hold when the disk, the files or the inputs fail: nothing lost, nothing
// half-written, every failure a runtime error with its number.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_store.h"
#include "logbook/records/station_settings.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/records.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::readFile;
using testing::Station;
using testing::TempDir;
using testing::writeFile;

namespace {

int errorOf(const std::function<void()>& step) { return testing::errorNumberOf<RuntimeError>(step); }

}  // namespace

// A full disk in the middle of an append: the log goes back to its old length, so
// no piece of a record is taken for a contact at the next start.
TEST(Faults, AFullDiskDuringAnAppendLeavesTheLogAsItWas) {
  TempDir dir;
  ::mkdir("small", 0755);
  if (::mount("tmpfs", "small", "tmpfs", 0, "size=200k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  struct Unmount {
    ~Unmount() { ::umount2("small", MNT_DETACH); }
  } unmount;
  const std::string log = testing::logOf(56);  // 8064 bytes: the next record crosses a page
  writeFile("small/LOG.DAT", log);
  {
    std::ofstream filler("small/FILL", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) filler.flush();
  }
  RecordFile file;
  file.open("small/LOG.DAT");
  LogRecord r = testing::contact("Q57");
  EXPECT_EQ(errorOf([&] { file.write(57, r.bytes.data()); }), kFileIoError);
  EXPECT_EQ(readFile("small/LOG.DAT"), log);
}

// A write that fails part-way (here past a file-size limit) in any whole-file
// rewrite is runtime error 3, and the file keeps its old bytes.
TEST(Faults, EveryRewriteThatCannotBeWrittenLeavesTheOldFile) {
  struct Case {
    const char* file;
    std::function<void(Station&)> rewrite;
  };
  const Case cases[] = {
      {"KIVOLOG.INI",
       [](Station& s) {
         s.lb.settings.county = std::string(3000, 'C');
         saveStationSettings(s.lb);
       }},
      {"GRID.SQU",
       [](Station& s) {
         for (int i = 0; i < 500; ++i) s.lb.grid->lines.push_back("SQ" + std::to_string(i) + " /");
         s.lb.record.set(Field::COMMENTS, "#JO50");
         updateGridTable(s.lb);
       }},
      {"TEMPLOG",
       [](Station& s) {
         s.terminal.ext(keys::kF2).type("Q").key(keys::kEnter);
         s.run();
       }},
      {"LOGMAIN.DAT",
       [](Station& s) {
         s.terminal.ext(keys::kAltD).type("Y").key(keys::kEnter);
         s.run();
       }},
  };
  for (const Case& c : cases) {
    Station s(testing::logOf(30));  // 4,320 bytes
    writeFile("KIVOLOG.INI", "\"OLD\"\r\n");
    writeFile("GRID.SQU", "FN31 /\r\n");
    writeFile("TEMPLOG", "old list");
    s.run();
    const std::string before = readFile(c.file);
    {
      testing::FileSizeLimit limit(2000);
      EXPECT_EQ(errorOf([&] { c.rewrite(s); }), kFileIoError) << c.file;
    }
    EXPECT_EQ(readFile(c.file), before) << c.file;
    EXPECT_EQ(s.log(), testing::logOf(30)) << c.file;
  }
}

// The old text of a converted log beside a log that is gone: no empty log takes
// its place in silence.
TEST(Faults, AConvertedLogsTextBesideAMissingLogIsNotReplacedByAnEmptyOne) {
  Station s;
  std::filesystem::remove("LOGMAIN.DAT");
  writeFile("LOGMAIN.DAT.org", "old text\r\n");
  try {
    s.run();
    ADD_FAILURE();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
    EXPECT_NE(e.place().find("LOGMAIN.DAT.org is there"), std::string::npos) << e.place();
  }
  EXPECT_FALSE(testing::exists("LOGMAIN.DAT"));
  EXPECT_FALSE(testing::exists("KIVOLOG.RUN"));
}

// Temporary files that a killed run left behind are removed when their file is
// written again; one that another writer holds is left alone.
TEST(Faults, StaleTemporariesGoAtTheNextRewrite) {
  TempDir dir;
  writeFile(".GRID.SQU.kivo-AAAAAA", "half");
  writeFile(".WORKED.CFM.kivo-BBBBBB", "other file's");
  writeFile(".GRID.SQU.kivo-CCCCCC", "in use");
  const int held = ::open(".GRID.SQU.kivo-CCCCCC", O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0) << "lock";
  writeFileAtomically("GRID.SQU", "FN31 /\r\n");
  ::close(held);
  EXPECT_FALSE(testing::exists(".GRID.SQU.kivo-AAAAAA"));
  EXPECT_TRUE(testing::exists(".WORKED.CFM.kivo-BBBBBB"));
  EXPECT_TRUE(testing::exists(".GRID.SQU.kivo-CCCCCC"));
  EXPECT_EQ(readFile("GRID.SQU"), "FN31 /\r\n");
}

// A table without line ends of endless length is a runtime error naming it, not a
// program that eats the memory; nor is a read that fails taken for the end.
TEST(Faults, EndlessTablesAreAnErrorNotTheEndOfTheFile) {
  for (const char* option : {"F2=/dev/zero", "F4=/dev/zero"}) {
    Station s("", option);
    try {
      s.run();
      ADD_FAILURE() << option;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kFileIoError) << option;
      EXPECT_NE(e.place().find("/DEV/ZERO"), std::string::npos) << e.place();
    }
  }
  Station s(testing::logOf(1), "F3=/dev/zero");
  s.terminal.ext(keys::kHome).ext(keys::kAltU);
  EXPECT_EQ(errorOf([&] { s.run(); }), kFileIoError);
}

// Bytes that would break a record (0x00, the separator 0xFF, CR, LF) arrive as
// blanks from the drop file and from S=.
TEST(Faults, RecordBreakingBytesFromOutsideBecomeBlanks) {
  Station s;
  writeFile("KIVOLOG.IN", std::string("Q1\xff"
                                      "AB comm\0ent\r\r\n",
                                      16));
  s.terminal.key(keys::kEnter).key(keys::kEnter);
  s.run();
  ASSERT_EQ(s.log().size(), 144u);
  // The blank that was a separator parts the callsign from the comment.
  EXPECT_EQ(s.record(1).get(Field::STATION), "Q1              ");
  EXPECT_EQ(s.record(1).get(Field::COMMENTS), fitWidth("AB COMM ENT", 38));
  const Config c = parseCommandLine({std::string("S=K1\xff"
                                                 "X"),
                                     std::string("HI\xff")});
  EXPECT_EQ(c.stationCall, "K1 X");
  EXPECT_EQ(c.stationText, "HI ");
}

}  // namespace kivo
