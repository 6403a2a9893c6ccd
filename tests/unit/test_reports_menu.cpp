#include <gtest/gtest.h>

#include "logbook/interchange/reports_menu.h"
#include "logbook/records/printing.h"
#include "menu_support.h"
#include "tests/support/file_bytes.h"

namespace kivo {
using testing::exists;
using testing::logOf;
using testing::menu;
using testing::readFile;
using testing::Station;
using testing::writeFile;

TEST(ReportsMenu, ShowsItsEntriesInYellowOnBlue) {
  Station s(logOf(2));
  s.terminal.ext(keys::kF5);
  s.run();  // the choice is awaited
  EXPECT_EQ(s.text(1, 1, 35), "Select the report or function type:");
  EXPECT_EQ(s.row(2), std::string(80, ' '));
  EXPECT_EQ(s.text(3, 1, 36), "1 = Create a file of specific bands ");
  EXPECT_EQ(s.text(9, 1, 79), "7 = Convert a KIVOLOG format log to an ASCII file beginning at the current line");
  EXPECT_EQ(s.text(13, 1, 37), "11 = Sort an KIVOLOG by date and time");
  EXPECT_EQ(s.screen().cursorRow(), 15);
  EXPECT_EQ(s.screen().cellAt(15, 1).fg, 14);
  EXPECT_EQ(s.screen().cellAt(1, 80).bg, 1);
}

TEST(ReportsMenu, AnyOtherChoiceReturnsAtOnce) {
  for (const std::string choice : {"0", "12", "11.5", "-3", "SORT", ""}) {
    Station s(logOf(3));
    s.terminal.ext(keys::kF5).type(choice).key(keys::kEnter).key(keys::kEsc);
    s.run();
    EXPECT_EQ(s.status, 0) << choice;  // back on the browse screen, which Esc left
    EXPECT_EQ(s.log(), logOf(3)) << choice;
    EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT") << choice;
  }
}

TEST(ReportsMenu, NameLoopReusesTheRememberedNameAndRefusesTheLog) {
  Station s(logOf(3));
  // Enter without a remembered name, then the log's own name: both ask again.
  menu(s, "11", "", "logmain.dat", "./LOGMAIN.DAT", "sorted.dat");
  s.run();
  EXPECT_EQ(s.lb.logFileName, "SORTED.DAT");
  EXPECT_EQ(testing::callsOf(readFile("SORTED.DAT")), "Q3 Q2 Q1");  // equal keys: the later first
  EXPECT_EQ(s.lb.settings.lastNewFile, "SORTED.DAT");
  // Enter takes the name shown above the question, which is now the log: asked again.
  menu(s, "7", "");
  s.run();
  EXPECT_TRUE(s.scriptEnded);
  EXPECT_EQ(s.text(16, 1, 11), "SORTED.DAT ");
  EXPECT_EQ(s.text(17, 1, 40), kNewFileQuestion);
  EXPECT_EQ(s.text(18, 1, 11), "SORTED.DAT ");
  EXPECT_EQ(s.text(19, 1, 40), kNewFileQuestion);
  EXPECT_EQ(s.screen().cursorRow(), 19);
}

TEST(ReportsMenu, WhichLogFollowsEachChoice) {
  Station s(logOf(4));
  menu(s, "7", "LIST.TXT");  // the same log again
  s.run();
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
  EXPECT_EQ(s.lb.browse.currentRecord, 5);  // rebuilt on the last page
  menu(s, "9", "UPLOAD.ADI");               // the log stays open as it is
  s.run();
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
  EXPECT_TRUE(s.lb.log.isOpen());
  menu(s, "1", "BANDS.DAT", "20");  // a report becomes the log
  s.run();
  EXPECT_EQ(s.lb.logFileName, "BANDS.DAT");
  EXPECT_TRUE(exists("BANDS.DAT"));
  // Entry 10 without a name and none remembered: no update, the same log reopened.
  menu(s, "10", "");
  s.terminal.key(keys::kEsc);
  s.run();
  EXPECT_EQ(s.lb.logFileName, "BANDS.DAT");
  EXPECT_EQ(s.status, 0);
  EXPECT_FALSE(exists("KIVOLOG.INI"));  // the settings are saved only before an update
}

TEST(ReportsMenu, ConfirmationFileLoopRemembersTheNameAsTyped) {
  Station s(logOf(2));
  writeFile("lotw.adi", "<EOH>\r\n");
  menu(s, "10", "missing.adi", "lotw.adi");
  s.run();
  EXPECT_EQ(s.lb.settings.lastQslFile, "lotw.adi");
  EXPECT_NE(readFile("KIVOLOG.INI").find("\"lotw.adi\""), std::string::npos);
  EXPECT_EQ(s.lb.logFileName, "LOGMAIN.DAT");
}

TEST(AsciiExport, PagesFromTheCurrentLine) {
  const std::string ff = "\x0c\r\n";
  const std::string caption = std::string(kPrintHeader) + "\r\n";
  auto lines = [](const std::string& log, int first, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += printLine(testing::recordAt(log, first + i));
    return out;
  };
  struct Case {
    int records;
    bool fromFirst;
    std::string expected;
  };
  const std::string log120 = logOf(120), log50 = logOf(50);
  const Case cases[] = {
      {120, true,
       caption + lines(log120, 1, 50) + ff + caption + lines(log120, 51, 50) + ff + caption + lines(log120, 101, 20)},
      {50, true, caption + lines(log50, 1, 50) + ff},
      {50, false, ""},  // the cursor on the new-contact line
  };
  for (const Case& c : cases) {
    Station s(logOf(c.records));
    if (c.fromFirst) s.terminal.ext(keys::kHome);
    menu(s, "7", "LIST.TXT");
    s.run();
    EXPECT_EQ(readFile("LIST.TXT"), c.expected) << c.records << c.fromFirst;
    EXPECT_EQ(s.log(), logOf(c.records));
  }
}

}  // namespace kivo
