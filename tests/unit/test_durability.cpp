// What must survive the machine and odd files: links followed, files that are no
// log refused untouched, endless tables stopped, stale temporaries removed, the log
// locked under the worked-before list.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "common/fatal.h"
#include "logbook/records/log_store.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/records.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
namespace {

using testing::readFile;
using testing::Station;
using testing::writeFile;
namespace fs = std::filesystem;

// A VHF contact with a grid square, typed on the new-contact line and entered.
void typeGridContact(ScriptedTerminal& t) {
  t.key(keys::kTab).type("144.2000").type("CW").key(keys::kTab).key(keys::kTab).type("1200");
  t.type("K1AB").key(keys::kTab).type("#FN31").key(keys::kEnter);
}

TEST(Durability, RewritesFollowSymbolicLinks) {
  struct Case {
    const char* what;
    const char* linked;  // the name in the station, a link into other/
    void (*keys)(ScriptedTerminal&);
    size_t realSize;  // of the file the link leads to, afterwards
  };
  const Case cases[] = {
      {"Alt-D on a linked log", "LOGMAIN.DAT",
       [](ScriptedTerminal& t) { t.ext(keys::kAltD).type("Y").key(keys::kEnter); }, 2 * kRecordSize},
      {"a contact's square in a linked GRID.SQU", "GRID.SQU", typeGridContact, 8},
      {"a sort into a linked output", "SORTED.DAT",
       [](ScriptedTerminal& t) { t.ext(keys::kF5).type("11\rSORTED.DAT\r"); }, 3 * kRecordSize},
  };
  for (const Case& c : cases) {
    Station s(testing::logOf(3));
    fs::create_directory("other");
    const std::string real = std::string("other/") + c.linked;
    if (fs::exists(c.linked))
      fs::rename(c.linked, real);
    else
      writeFile(real, "");
    fs::create_symlink(real, c.linked);
    c.keys(s.terminal);
    s.run();
    EXPECT_TRUE(fs::is_symlink(c.linked)) << c.what;
    EXPECT_EQ(fs::file_size(real), c.realSize) << c.what;
  }
}

TEST(Durability, AFileThatIsNoLogIsRefusedUntouched) {
  const std::string adif = "ADIF export\r\n<ADIF_VER:5>3.1.4<EOH>\r\n<CALL:4>K1AB<QSO_DATE:8>20260101<EOR>\r\n";
  {
    Station s("", "F=MYLOG.ADI");
    writeFile("MYLOG.ADI", adif);
    EXPECT_EQ(testing::errorNumberOf<RuntimeError>([&] { s.run(); }), kFileIoError);
    EXPECT_EQ(readFile("MYLOG.ADI"), adif);
  }
  Station s(testing::logOf(1));
  writeFile("MYLOG.ADI", adif);
  s.terminal.ext(keys::kF6).type("MYLOG.ADI").key(keys::kEnter);
  try {
    s.run();
    ADD_FAILURE() << "F6 took an ADIF file as the log";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileIoError);
    EXPECT_NE(e.place().find("MYLOG.ADI"), std::string::npos) << e.place();
  }
  EXPECT_EQ(readFile("MYLOG.ADI"), adif);
  // An all-zero first record is a record: a log that a crash left zeroed opens.
  Station zero(std::string(kRecordSize, '\0'));
  zero.run();
  EXPECT_TRUE(zero.scriptEnded);
}

// Endless short lines through a pipe, as a table, the settings or a LOTW download:
// each run ends in runtime error 3 within an address-space limit, never error 4 or a
// memory that grows without end. Run in a child process, which the limit may end.
TEST(Durability, EndlessInputsStopAtTheLimitOfSuchAFile) {
  struct Case {
    const char* what;
    const char* pipe;  // made a FIFO in the station
    const char* commandLine;
    void (*keys)(ScriptedTerminal&);
    const char* line;  // written again and again
  };
  const Case cases[] = {
      {"COUNTRY.DAT", "ENDLESS", "F2=ENDLESS", nullptr, "K          USA\r\n"},
      {"GRID.SQU", "ENDLESS", "F4=ENDLESS", nullptr, "FN31 /\r\n"},
      {"WORKED.CFM", "ENDLESS", "F3=ENDLESS", typeGridContact, "x\r\n"},
      {"KIVOLOG.INI", "KIVOLOG.INI", "", nullptr, "\"A\"\r\n"},
      {"a LOTW file without <EOH>", "LOTW.ADI", "",
       [](ScriptedTerminal& t) { t.ext(keys::kF5).type("10\rLOTW.ADI\r"); },
       "<CALL:4>K1AB<BAND:3>20M<QSO_DATE:8>20260101<TIME_ON:4>1200<QSL_RCVD:1>Y<EOR>\n"},
  };
  for (const Case& c : cases) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::signal(SIGPIPE, SIG_IGN);
#if !defined(__SANITIZE_ADDRESS__)
      const rlimit limit{1LL << 30, 1LL << 30};  // the sanitizers reserve far more
      ::setrlimit(RLIMIT_AS, &limit);
#endif
      Station s(testing::logOf(1), c.commandLine);
      ::unlink(c.pipe);
      if (::mkfifo(c.pipe, 0600) != 0) ::_exit(100);
      std::thread writer([&] {
        const int fd = ::open(c.pipe, O_WRONLY);
        std::string chunk;
        while (chunk.size() < 65536) chunk += c.line;
        while (fd >= 0 && ::write(fd, chunk.data(), chunk.size()) > 0) {
        }
      });
      writer.detach();
      if (c.keys) c.keys(s.terminal);
      const int error = testing::errorNumberOf<RuntimeError>([&] { s.run(); });
      std::error_code ec;
      fs::remove_all(fs::current_path(), ec);  // the station's folder: no destructor runs after _exit
      ::_exit(error);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << c.what << " ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), kFileIoError) << c.what;
  }
}

TEST(Durability, StaleTemporariesGoAtStartUp) {
  Station s(testing::logOf(1));
  writeFile(".LOGMAIN.DAT.kivo-AAAAAA", "killed sort");
  writeFile(".REPORT.TXT.kivo-BBBBBB", "killed report");
  writeFile(".GRID.SQU.kivo-CCCCCC", "being written");
  writeFile(".NOTES.kivo", "not ours");
  const int held = ::open(".GRID.SQU.kivo-CCCCCC", O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  s.run();
  ::close(held);
  EXPECT_FALSE(testing::exists(".LOGMAIN.DAT.kivo-AAAAAA"));
  EXPECT_FALSE(testing::exists(".REPORT.TXT.kivo-BBBBBB"));
  EXPECT_TRUE(testing::exists(".GRID.SQU.kivo-CCCCCC"));
  EXPECT_TRUE(testing::exists(".NOTES.kivo"));
}

TEST(Durability, TheLogStaysLockedUnderTheWorkedBeforeList) {
  Station s(testing::logOf(3));
  s.terminal.ext(keys::kF2).type("Q1").key(keys::kEnter);
  s.run();
  ASSERT_TRUE(s.lb.workedBeforeMode);
  EXPECT_EQ(testing::errorNumberOf<RuntimeError>([] { refuseLogInUse("LOGMAIN.DAT"); }), kFileIoError);
  // Back from the list, the log is the one it was, and still ours.
  s.terminal.ext(keys::kF2);
  s.run();
  EXPECT_FALSE(s.lb.workedBeforeMode);
  EXPECT_EQ(recordCount(s.lb), 3);
  EXPECT_EQ(testing::errorNumberOf<RuntimeError>([] { refuseLogInUse("LOGMAIN.DAT"); }), kFileIoError);
}

}  // namespace
}  // namespace kivo
