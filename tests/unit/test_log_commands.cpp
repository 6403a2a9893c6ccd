#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_commands.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo {
using testing::contact;
using testing::logOf;
using testing::readFile;
using testing::recordBytes;
using testing::Station;

namespace {

void toStation(Station& s) {
  for (int i = 0; i < 5; ++i) s.terminal.key(keys::kTab);
}

void answer(Station& s, unsigned char key, const std::string& text) {
  s.terminal.ext(key).type(text).key(keys::kEnter);
}

std::string screenBelowRow2(const Station& s) {
  std::string out;
  for (int r = 3; r <= 25; ++r) out += s.row(r);
  return out;
}

}  // namespace

TEST(Search, EqualsStepsThroughEveryMatchToTheEnd) {
  Station s(logOf(25));
  s.terminal.ext(keys::kHome);
  toStation(s);
  answer(s, keys::kF1, "q1");
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 10);
  EXPECT_EQ(s.lb.browse.firstShown, 10);
  EXPECT_EQ(s.lb.browse.lastShown, 25);
  EXPECT_EQ(s.text(4, 35, 38), "Q10 ");
  EXPECT_EQ(s.screen().cellAt(4, 35).bg, 4);
  EXPECT_EQ(s.text(1, 41, 58), "File = LOGMAIN.DAT");  // the frame is back
  EXPECT_EQ(s.screen().cursorRow(), 4);
  EXPECT_EQ(s.screen().cursorColumn(), 35);
  for (int i = 0; i < 10; ++i) answer(s, keys::kF1, "=");
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 19);  // Q11 ... Q19, then nothing more
  EXPECT_EQ(s.lb.lastSearchText, "Q1");
  EXPECT_EQ(s.screen().cursorColumn(), 35);
}

TEST(Search, DialogueAndTheCasesThatFindNothing) {
  Station d(logOf(3));
  d.terminal.ext(keys::kF1);
  d.run();  // the script ends while the answer is awaited
  EXPECT_EQ(d.text(1, 1, 80), fitWidth(kSearchTitle, 80));
  EXPECT_EQ(d.text(2, 1, 80), fitWidth(kSearchPrompt, 80));
  EXPECT_EQ(d.screen().cellAt(2, 80).fg, 4);
  EXPECT_EQ(d.screen().cellAt(2, 80).bg, 7);

  Station s(logOf(3));
  s.terminal.click(5, 10);  // on the separator after DATE of record 2
  s.run();
  const std::string before = screenBelowRow2(s);
  answer(s, keys::kF1, "01 JAN");               // in every DATE, but no field is chosen
  answer(s, keys::kF1, std::string(300, 'z'));  // an echo over the edit rows
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
  EXPECT_EQ(s.screen().cursorRow(), 5);
  EXPECT_EQ(s.screen().cursorColumn(), 10);
  EXPECT_EQ(screenBelowRow2(s), before);
  // From the new-contact line there is nothing after it.
  Station t(logOf(3));
  answer(t, keys::kF1, "Q");
  t.run();
  EXPECT_EQ(t.lb.browse.currentRecord, 4);
  EXPECT_EQ(t.screen().cursorRow(), 7);
}

TEST(Search, FromTheCommentRowSearchesComments) {
  LogRecord good = contact("Q3");
  good.set(Field::COMMENTS, "A GOOD ONE");
  Station s(recordBytes(contact("Q1")) + recordBytes(contact("Q2")) + recordBytes(good));
  s.terminal.ext(keys::kHome);
  for (int i = 0; i < 11; ++i) s.terminal.key(keys::kTab);
  s.terminal.ext(keys::kRight);
  answer(s, keys::kF1, "good");
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 3);
  EXPECT_EQ(s.text(24, 1, 10), "A GOOD ONE");
  EXPECT_EQ(s.screen().cursorRow(), 24);
  EXPECT_EQ(s.screen().cursorColumn(), 2);
}

TEST(WorkedBefore, ListsEveryCallThatBeginsWithTheAnswerAndGoesBack) {
  std::string log;
  for (auto call : {"K1ABC", "DL1X", "K1ABC/P", "K1ABD", "K1AB"}) log += recordBytes(contact(call));
  Station s(log);
  answer(s, keys::kF2, "k1abc");
  s.run();
  EXPECT_EQ(readFile("TEMPLOG"), recordBytes(contact("K1ABC")) + recordBytes(contact("K1ABC/P")));
  EXPECT_TRUE(s.lb.workedBeforeMode);
  EXPECT_EQ(s.text(1, 41, 54), "File = TEMPLOG");
  EXPECT_EQ(s.text(5, 35, 41), "K1ABC/P");
  EXPECT_EQ(s.lb.browse.currentRecord, 3);
  s.terminal.key(keys::kEnter);  // Enter leaves the list
  s.run();
  EXPECT_FALSE(s.lb.workedBeforeMode);
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
  EXPECT_EQ(s.lb.browse.currentRecord, 6);
  // A call nobody worked: an empty list, only the new-contact line.
  answer(s, keys::kF2, "ZZ9");
  s.run();
  EXPECT_TRUE(s.lb.workedBeforeMode);
  EXPECT_EQ(readFile("TEMPLOG"), "");
  EXPECT_EQ(s.lb.browse.editRow, 4);
  EXPECT_EQ(s.log(), log);
}

TEST(WorkedBefore, AnEmptyAnswerOrALogNamedTemplogChangesNothing) {
  Station s(logOf(2));
  answer(s, keys::kF2, "");
  s.run();
  EXPECT_FALSE(s.lb.workedBeforeMode);
  EXPECT_FALSE(testing::exists("TEMPLOG"));
}

// A file the logbook writes for itself taken for the log would be destroyed: such
// a name is refused with a clear error, before anything is written.
TEST(OwnFiles, AreRefusedAsTheLog) {
  for (const char* name : {"TEMPLOG", "kivolog.run", "KIVOLOG.INI", "TEMP.1", "LPT1.PRN", "KIVOLOG.IN", "COUNTRY.DAT",
                           "WORKED.CFM", "GRID.SQU", "RIGXFER.OUT", "./GRID.SQU"}) {
    Station t("", std::string("F=") + name);
    testing::writeFile("TEMPLOG", logOf(3));
    const std::string worked = readFile("WORKED.CFM");
    try {
      t.run();
      ADD_FAILURE() << name;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kIllegalFunctionCall);
      EXPECT_NE(errorMessage(e).find("a file of the logbook's own cannot be a log"), std::string::npos);
    }
    EXPECT_EQ(readFile("TEMPLOG"), logOf(3)) << name;
    EXPECT_EQ(readFile("WORKED.CFM"), worked) << name;
    EXPECT_FALSE(testing::exists("KIVOLOG.RUN") && std::string(name) != "kivolog.run") << name;
  }
  // Nor can F6 open one.
  Station s(logOf(2));
  answer(s, keys::kF6, "worked.cfm");
  EXPECT_THROW(s.run(), RuntimeError);
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
}

TEST(ChangeLogFile, SavesTheLineAndOpensTheNamedFile) {
  Station s(logOf(1));
  toStation(s);
  s.terminal.type("k1abc");
  answer(s, keys::kF6, "new.dat");
  s.run();
  EXPECT_EQ(testing::recordAt(s.log(), 2).get(Field::STATION), "K1ABC           ");
  EXPECT_EQ(s.lb.logFileName, "NEW.DAT");
  EXPECT_EQ(readFile("NEW.DAT"), "");
  EXPECT_EQ(s.text(1, 41, 54), "File = NEW.DAT");
  EXPECT_EQ(s.lb.browse.currentRecord, 1);
  // An empty answer keeps the log and the cursor.
  s.terminal.key(keys::kTab);
  answer(s, keys::kF6, "");
  s.run();
  EXPECT_EQ(s.lb.logFileName, "NEW.DAT");
  EXPECT_EQ(s.text(1, 41, 54), "File = NEW.DAT");
  EXPECT_EQ(s.screen().cursorColumn(), 11);
}

TEST(DeleteLastRecord, OnlyYesDeletesAndTheTablesNeverSeeTheLine) {
  Station d(logOf(3));
  d.terminal.ext(keys::kAltD);
  d.run();
  EXPECT_EQ(d.text(1, 1, 80), fitWidth(kDeletePrompt, 80));
  EXPECT_EQ(d.screen().cellAt(1, 1).bg, 7);

  Station s(logOf(3));
  const std::string worked = readFile("WORKED.CFM");
  answer(s, keys::kAltD, "n");
  answer(s, keys::kAltD, "yes");
  toStation(s);
  s.terminal.type("k1abc").key(keys::kTab);  // USA, a contact the tables would count
  answer(s, keys::kAltD, " y");
  s.run();
  EXPECT_EQ(s.log(), logOf(3));  // the typed contact was saved, then deleted
  EXPECT_EQ(readFile("WORKED.CFM"), worked);
  EXPECT_FALSE(testing::exists("TEMP.1"));
  answer(s, keys::kAltD, "Y");
  s.run();
  EXPECT_EQ(s.log(), logOf(2));
  EXPECT_EQ(s.lb.browse.currentRecord, 3);
}

TEST(DeleteLastRecord, TheOnlyRecordAndALogFoundUnderAnotherCase) {
  Station s(logOf(1));
  answer(s, keys::kAltD, "y");
  s.run();
  EXPECT_TRUE(testing::exists("LOGMAIN.DAT"));
  EXPECT_EQ(s.log(), "");
  Station t("", "F=mylog.dat");
  testing::writeFile("mylog.dat", logOf(2));
  answer(t, keys::kAltD, "y");
  t.run();
  EXPECT_EQ(readFile("mylog.dat"), logOf(1));
  EXPECT_FALSE(testing::exists("MYLOG.DAT"));
}

}  // namespace kivo

namespace kivo {

// Blanks at the end of an answer are part of it: a search can look for them, "= "
// is a text of its own, a whole callsign with a blank after it lists no portable
// forms, and "y " is not yes.
TEST(DialogueAnswers, KeepTheirTrailingBlanks) {
  std::string log;
  for (auto call : {"UA9QXZ", "KP4AB", "UA9QXZ/P", "KP4AA/P"}) log += testing::recordBytes(testing::contact(call));
  {
    Station s(log);
    s.terminal.ext(keys::kHome);
    toStation(s);
    answer(s, keys::kF1, "p       ");
    s.run();
    EXPECT_EQ(s.lb.browse.currentRecord, 3);  // UA9QXZ/P, not KP4AB
    answer(s, keys::kF1, "= ");
    s.run();
    EXPECT_EQ(s.lb.lastSearchText, "= ");
    EXPECT_EQ(s.lb.browse.currentRecord, 3);  // found nowhere, not the next /P
  }
  {
    Station s(log);
    answer(s, keys::kF2, "ua9qxz ");
    s.run();
    EXPECT_EQ(readFile("TEMPLOG"), testing::recordBytes(testing::contact("UA9QXZ")));
  }
  {
    Station s(log);
    answer(s, keys::kAltD, "y ");
    s.run();
    EXPECT_EQ(s.log(), log);
  }
}

// A second logbook on a log that is open, or on the tables of a station that one
// is using, is refused at once; the first one's run marker stays as it was.
TEST(LogLock, ASecondLogbookOnTheSameLogOrTablesEndsAtOnce) {
  Station s(testing::logOf(2));
  s.run();
  const std::string marker = readFile("KIVOLOG.RUN");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "LOGMAIN.DAT: the log is open in another logbook"},
      {{"F=OTHER.DAT"}, "another logbook is using the tables of this station"},
  };
  for (const auto& [args, expected] : cases) {
    const pid_t child = ::fork();
    if (child == 0) {
      ScriptedTerminal t;
      Console con(t);
      Logbook second(con);
      second.config = parseCommandLine(args);
      try {
        startLogbook(second);
      } catch (const RuntimeError& e) {
        ::_exit(e.number() == kFileIoError && errorMessage(e).find(expected) != std::string::npos ? 0 : 2);
      }
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << expected << " " << status;
  }
  EXPECT_EQ(readFile("KIVOLOG.RUN"), marker);
  EXPECT_FALSE(testing::exists("OTHER.DAT"));
  s.terminal.key(keys::kEsc);
  s.run();
  EXPECT_EQ(s.status, 0);
}

}  // namespace kivo
