#include <gtest/gtest.h>

#include "logbook/frame/browse.h"
#include "logbook/frame/startup.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo {
using testing::contact;
using testing::logOf;
using testing::recordBytes;
using testing::Station;

namespace {
std::string calls(const Station& s, int row) { return s.text(row, 35, 50); }
}  // namespace

TEST(Browse, EmptyLogShowsOnlyTheNewContactLine) {
  Station s;
  s.terminal.ext(keys::kPgUp).ext(keys::kPgDn).ext(keys::kHome);
  s.run();
  ASSERT_TRUE(s.scriptEnded);
  EXPECT_EQ(s.lb.browse.currentRecord, 1);
  EXPECT_EQ(s.lb.browse.editRow, 4);
  const Screen& scr = s.screen();
  // The empty line: separators at their columns, the defaults, no date after start-up.
  for (int c : {10, 19, 24, 29, 34, 51, 55, 59, 64, 77, 80}) EXPECT_EQ(scr.charAt(4, c), 0xFF) << c;
  EXPECT_EQ(s.text(4, 25, 28), "100 ");
  EXPECT_EQ(s.text(4, 52, 54), "599");
  EXPECT_EQ(s.text(4, 56, 58), "599");
  EXPECT_EQ(scr.cellAt(4, 1).bg, 4);
  EXPECT_EQ(scr.cellAt(4, 10).fg, 0);
  EXPECT_EQ(scr.cellAt(4, 10).bg, 0);
  EXPECT_EQ(s.text(24, 40, 48), "Comments ");
  EXPECT_EQ(scr.charAt(24, 39), 0xFF);
  EXPECT_EQ(scr.cellAt(24, 1).bg, 4);
  EXPECT_EQ(scr.cellAt(24, 39).bg, 1);
  for (int r = 5; r <= 23; ++r) EXPECT_EQ(s.row(r), std::string(80, ' ')) << r;
  EXPECT_EQ(s.text(1, 65, 74), "Record = 1");
  EXPECT_EQ(scr.cursorRow(), 4);
  EXPECT_EQ(scr.cursorColumn(), 1);
}

TEST(Browse, NineteenAndTwentyRecordsOnTwentyFiveRows) {
  {
    Station s(logOf(19));
    s.run();
    EXPECT_EQ(calls(s, 4).substr(0, 3), "Q1 ");
    EXPECT_EQ(calls(s, 22).substr(0, 3), "Q19");
    EXPECT_EQ(s.lb.browse.editRow, 23);
    EXPECT_EQ(s.lb.browse.currentRecord, 20);
    // The date default is the date of the last record.
    EXPECT_EQ(s.text(23, 1, 9), "01 JAN 26");
  }
  {
    Station s(logOf(20));
    s.run();
    EXPECT_EQ(calls(s, 4).substr(0, 3), "Q2 ");
    EXPECT_EQ(calls(s, 22).substr(0, 3), "Q20");
    EXPECT_EQ(s.lb.browse.editRow, 23);
    EXPECT_EQ(s.lb.browse.currentRecord, 21);
  }
}

TEST(Browse, PagesMoveAndStopAtTheEnds) {
  Station s(logOf(50));
  s.terminal.ext(keys::kPgUp);
  s.run();
  EXPECT_EQ(s.lb.browse.firstShown, 13);
  EXPECT_EQ(s.lb.browse.currentRecord, 32);
  EXPECT_EQ(calls(s, 4).substr(0, 3), "Q13");
  EXPECT_EQ(calls(s, 23).substr(0, 3), "Q32");

  Station t(logOf(50));
  t.terminal.ext(keys::kPgUp).ext(keys::kPgUp).ext(keys::kPgUp);
  t.run();
  EXPECT_EQ(t.lb.browse.firstShown, 1);
  EXPECT_EQ(t.lb.browse.lastShown, 20);
  EXPECT_EQ(t.lb.browse.currentRecord, 1);
  EXPECT_EQ(t.lb.browse.editRow, 4);
  EXPECT_EQ(t.screen().cellAt(4, 1).bg, 4);

  Station u(logOf(50));
  u.terminal.ext(keys::kHome).ext(keys::kPgDn);
  u.run();
  EXPECT_EQ(u.lb.browse.firstShown, 20);
  EXPECT_EQ(u.lb.browse.currentRecord, 20);

  // A page that would pass the end shows the last page with the new-contact line.
  Station v(logOf(50));
  v.terminal.ext(keys::kHome).ext(keys::kPgDn).ext(keys::kPgDn).ext(keys::kPgDn);
  v.run();
  EXPECT_EQ(v.lb.browse.firstShown, 32);
  EXPECT_EQ(v.lb.browse.currentRecord, 51);
  EXPECT_EQ(v.lb.browse.editRow, 23);
  EXPECT_EQ(calls(v, 22).substr(0, 3), "Q50");
  EXPECT_EQ(v.text(23, 35, 50), std::string(16, ' '));
}

TEST(Browse, PageMovesKeepTheCursorColumnAndTheCommentRow) {
  Station s(logOf(50));
  s.terminal.ext(keys::kHome).ext(keys::kRight).ext(keys::kRight).ext(keys::kPgDn);
  s.run();
  EXPECT_EQ(s.screen().cursorRow(), 4);
  EXPECT_EQ(s.screen().cursorColumn(), 3);
}

TEST(Browse, UpdateMessagesShowAndClearOnTheNextKey) {
  Station s(logOf(3));
  startLogbook(s.lb);
  buildScreen(s.lb);
  s.lb.tables.workedUpdated = true;
  s.lb.tables.gridUpdated = true;
  EXPECT_THROW(commandPass(s.lb), ScriptEnded);
  EXPECT_EQ(s.text(24, 51, 77), "WORKED.CFM has been updated");
  EXPECT_EQ(s.screen().cellAt(24, 51).fg, 30);
  s.lb.tables.workedUpdated = false;
  s.lb.tables.gridUpdated = true;
  EXPECT_THROW(commandPass(s.lb), ScriptEnded);
  EXPECT_EQ(s.text(24, 51, 77), "GRID.SQU has been updated  ");
  s.terminal.ext(keys::kF3);
  EXPECT_THROW(while (commandPass(s.lb)){}, ScriptEnded);
  EXPECT_EQ(s.text(24, 50, 79), std::string(30, ' '));
  EXPECT_FALSE(s.lb.tables.gridUpdated);
}

TEST(Browse, ConfirmationRunMarksQslSent) {
  std::string log = recordBytes(contact("Q1", "01 JAN 26", "  ")) + recordBytes(contact("Q2", "01 JAN 26", "L ")) +
                    recordBytes(contact("Q3", "01 JAN 26", "X ")) + recordBytes(contact("Q4", "01 JAN 26", "B "));
  Station s(log);
  s.terminal.ext(keys::kHome).ext(keys::kAltL);
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 5);
  EXPECT_EQ(s.lb.browse.scrollMode, ScrollMode::None);
  EXPECT_EQ(s.record(1).get(Field::SR), "L ");
  EXPECT_EQ(s.record(2).get(Field::SR), "L ");
  EXPECT_EQ(s.record(3).get(Field::SR), "B ");
  EXPECT_EQ(s.record(4).get(Field::SR), "B ");
  // Everything else of the records is as it was.
  for (int n = 1; n <= 4; ++n) {
    LogRecord before = testing::recordAt(log, n);
    LogRecord after = s.record(n);
    after.bytes[97] = before.bytes[97];
    EXPECT_EQ(after, before) << n;
  }
  // Every record went through the worked table.
  std::string worked = testing::readFile("WORKED.CFM");
  EXPECT_NE(worked.find(testing::entityLine("K", "USA").substr(0, 43) + "\\"), std::string::npos);
}

TEST(Browse, AKeyStopsAScrollRunAfterOneMoreMove) {
  Station s(logOf(10));
  s.terminal.ext(keys::kHome).ext(keys::kAltU).type("x");
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
  EXPECT_EQ(s.lb.browse.scrollMode, ScrollMode::None);
  EXPECT_EQ(s.text(5, 1, 9), "01 JAN 26");  // the key was not typed
}

TEST(Browse, UpdateWordStartsTheRunAndEndsThePass) {
  Station s(logOf(5));
  s.terminal.ext(keys::kHome).click(3, 56);
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 6);
  EXPECT_EQ(s.log(), logOf(5));  // re-saving unchanged records keeps their bytes
  EXPECT_NE(testing::readFile("WORKED.CFM").find('\\'), std::string::npos);
}

TEST(Browse, ClicksOnRealtimeAndTheCommentRowDoNothing) {
  Station s(logOf(3));
  s.terminal.click(3, 72).click(24, 5).click(24, 42).click(2, 10);
  s.run();
  EXPECT_FALSE(s.lb.browse.realTimeMode);
  EXPECT_EQ(s.lb.browse.currentRecord, 4);
  EXPECT_EQ(s.screen().cursorRow(), 4 + 3);
}

TEST(Browse, ClickOnARecordRowSelectsIt) {
  Station s(logOf(5));
  s.terminal.click(5, 40).click(20, 3);  // the second click is past the new-contact line
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
  EXPECT_EQ(s.lb.browse.editRow, 5);
  EXPECT_EQ(s.screen().cursorRow(), 5);
  EXPECT_EQ(s.screen().cursorColumn(), 40);
  EXPECT_EQ(s.screen().cellAt(5, 40).bg, 4);
  EXPECT_EQ(s.screen().cellAt(9, 1).bg, 1);  // the new-contact row is no longer current
}

TEST(Browse, AClickRightOfTheScreenOnARecordRowDoesNothing) {
  // A terminal wider than the screen reports clicks past column 80.
  Station s(logOf(5));
  s.terminal.click(5, 95);
  s.run();
  EXPECT_TRUE(s.scriptEnded);
  EXPECT_EQ(s.lb.browse.currentRecord, 6);
  EXPECT_EQ(s.screen().cursorRow(), 9);
  EXPECT_EQ(s.screen().cursorColumn(), 1);
}

TEST(Browse, CommandWordsAndLegendWordsAct) {
  Station s(logOf(50));
  s.terminal.click(3, 40);  // HOME
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 1);
  Station t(logOf(50));
  t.terminal.click(3, 40).click(3, 33).click(3, 45);  // HOME, PGDN, END
  t.run();
  EXPECT_EQ(t.lb.browse.currentRecord, 51);
  Station u(logOf(2));
  u.terminal.click(3, 64);  // EXIT
  u.run();
  EXPECT_EQ(u.status, 0);
  EXPECT_FALSE(testing::exists("KIVOLOG.RUN"));
}

TEST(Browse, RealSwitchesRealTimeModeAndRebuilds) {
  Station s(logOf(2));
  s.terminal.click(3, 51);
  s.run();
  EXPECT_TRUE(s.lb.browse.realTimeMode);
  EXPECT_EQ(s.text(3, 70, 77), "Realtime");
  EXPECT_EQ(s.screen().cellAt(3, 70).fg, 30);
  EXPECT_EQ(s.screen().cursorColumn(), 35);
}

TEST(Browse, HoldingTheButtonRepeatsAfterHalfASecond) {
  Station s(logOf(200));
  // Held on PGUP: one page at once, then nothing for 50 polls, then a page every poll.
  s.terminal.mouse(2, 27, true, 1 + 50 + 3).mouse(2, 27, false);
  s.run();
  // Pages from 182: 163 at the press, then 144 and 125 on the two polls after the hold.
  EXPECT_EQ(s.lb.browse.firstShown, 182 - 19 * 3);
}

TEST(Editor, InsertModePushesOutTheLastCharacter) {
  Station s(recordBytes(contact("ABCDEFGHIJKLMNOP")));
  s.terminal.ext(keys::kHome).ext(keys::kInsert);
  for (int i = 0; i < 29; ++i) s.terminal.ext(keys::kRight);  // column 35
  s.terminal.type("z");
  s.run();
  EXPECT_EQ(s.text(4, 35, 51), "ZABCDEFGHIJKLMNO\xff");
  EXPECT_EQ(s.screen().cursorColumn(), 36);
  EXPECT_EQ(s.screen().cursorStart(), 4);
  EXPECT_TRUE(s.lb.lineModified);
}

TEST(Editor, TypingOverwritesAndStepsOverSeparators) {
  Station s(recordBytes(contact("Q1")));
  s.terminal.ext(keys::kHome).type("02 jan 26x");
  s.run();
  EXPECT_EQ(s.text(4, 1, 11), "02 JAN 26\xffX");
  EXPECT_EQ(s.screen().cursorColumn(), 12);
}

TEST(Editor, TypingOnASeparatorCellChangesNothing) {
  Station s(logOf(3));
  s.terminal.click(4, 80).type("AB");
  s.run();
  EXPECT_EQ(s.screen().charAt(4, 80), 0xFF);
  EXPECT_EQ(s.text(5, 1, 9), "01 JAN 26");  // nothing ran on into the next row
  s.terminal.click(5, 10).type("C");
  s.run();
  EXPECT_EQ(s.text(5, 1, 10), "01 JAN 26\xff");
  EXPECT_FALSE(s.lb.lineModified);
  EXPECT_EQ(s.log(), logOf(3));
}

TEST(Editor, ShiftTabFromTheCommentAndFromRecordOne) {
  Station s(logOf(3));
  s.terminal.ext(keys::kHome).ext(keys::kRight).ext(keys::kShiftTab);
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 1);
  EXPECT_EQ(s.screen().cursorRow(), 4);
  EXPECT_EQ(s.screen().cursorColumn(), 1);

  Station t(logOf(3));
  t.terminal.ext(keys::kHome).ext(keys::kDown).key(keys::kTab).key(keys::kTab).ext(keys::kShiftTab);
  t.run();
  // From FREQ... the Tabs went to MODE, Shift-Tab goes back to FREQ.
  EXPECT_EQ(t.screen().cursorColumn(), 11);

  Station u(logOf(3));
  u.terminal.ext(keys::kHome);
  for (int i = 0; i < 11; ++i) u.terminal.key(keys::kTab);  // field by field on to the comment
  u.run();
  ASSERT_EQ(u.screen().cursorRow(), 24);
  u.terminal.ext(keys::kShiftTab);
  u.run();
  EXPECT_EQ(u.screen().cursorRow(), 4);
  EXPECT_EQ(u.screen().cursorColumn(), 78);

  Station v(logOf(3));
  v.terminal.ext(keys::kHome).ext(keys::kDown).ext(keys::kShiftTab);
  v.run();
  EXPECT_EQ(v.lb.browse.currentRecord, 1);
  EXPECT_EQ(v.screen().cursorRow(), 24);
  EXPECT_EQ(v.screen().cursorColumn(), 1);
}

TEST(Editor, RightFromColumn79AndFromTheEndOfTheComment) {
  Station s(logOf(3));
  s.terminal.ext(keys::kHome);
  for (int i = 0; i < 68; ++i) s.terminal.ext(keys::kRight);
  s.run();
  EXPECT_EQ(s.screen().cursorColumn(), 79);
  s.terminal.ext(keys::kRight);
  s.run();
  EXPECT_EQ(s.screen().cursorRow(), 24);
  EXPECT_EQ(s.screen().cursorColumn(), 1);
  for (int i = 0; i < 37; ++i) s.terminal.ext(keys::kRight);
  s.terminal.type("!");
  s.run();
  // Typing past column 38 of the comment saves the line and moves to the next one.
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
  EXPECT_EQ(s.record(1).get(Field::COMMENTS), std::string(37, ' ') + "!");
  EXPECT_EQ(s.screen().cursorRow(), 5);
}

TEST(Editor, DeleteClosesUpWithinTheField) {
  Station s(recordBytes(contact("K1ABCDEFGHIJKLMN")));
  s.terminal.ext(keys::kHome);
  for (int i = 0; i < 44; ++i) s.terminal.ext(keys::kRight);  // column 50, the last of STATION
  s.terminal.ext(keys::kDelete);
  s.run();
  EXPECT_EQ(s.text(4, 35, 51), "K1ABCDEFGHIJKLM \xff");
  s.terminal.ext(keys::kLeft).ext(keys::kLeft).ext(keys::kDelete);
  s.run();
  EXPECT_EQ(s.text(4, 35, 51), "K1ABCDEFGHIJKM  \xff");
  s.terminal.key(keys::kBackspace);
  s.run();
  EXPECT_EQ(s.text(4, 35, 51), "K1ABCDEFGHIJM   \xff");
  EXPECT_EQ(s.screen().cursorColumn(), 47);
  // Backspace never crosses the separator in front of a field.
  Station t(recordBytes(contact("K1ABC")));
  t.terminal.ext(keys::kHome);
  for (int i = 0; i < 29; ++i) t.terminal.ext(keys::kRight);  // column 35
  t.terminal.key(keys::kBackspace);
  t.run();
  EXPECT_EQ(t.screen().cursorColumn(), 35);
  EXPECT_EQ(t.text(4, 30, 40), "1200\xffK1ABC ");
}

TEST(Editor, UpOnRecordOneSavesAndStays) {
  Station s(logOf(3));
  s.terminal.ext(keys::kHome).type("3").ext(keys::kUp);
  s.run();
  EXPECT_EQ(s.lb.browse.currentRecord, 1);
  EXPECT_EQ(s.lb.browse.firstShown, 1);
  EXPECT_EQ(s.record(1).get(Field::DATE), "31 JAN 26");
  EXPECT_EQ(s.screen().cursorColumn(), 2);
}

TEST(Editor, CallsignWithABlankIsLookedUpToTheBlank) {
  Station s;
  s.terminal.key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab);
  s.terminal.type("kh6 dl1").key(keys::kTab);
  s.run();
  EXPECT_EQ(s.text(4, 35, 50), "KH6 DL1         ");
  EXPECT_EQ(s.text(4, 65, 76), "HAWAII      ");
  EXPECT_EQ(s.screen().cursorRow(), 24);
  EXPECT_EQ(s.screen().cursorColumn(), 1);
}

TEST(Editor, CountryIsLookedUpOnlyWhileItsFirstCellIsBlank) {
  Station s(recordBytes(contact("DL1ABC", "01 JAN 26", "  ", "SOMEWHERE")));
  s.terminal.ext(keys::kHome).key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab);
  s.terminal.type("W").key(keys::kTab);
  s.run();
  EXPECT_EQ(s.text(4, 65, 76), "SOMEWHERE   ");
  // Clearing the first cell of COUNTRY looks up again once the cursor is outside STATION;
  // the name is printed over the start of the column and the rest stays as it was.
  s.terminal.key(keys::kTab).key(keys::kTab).key(keys::kTab).type(" ");
  s.run();
  EXPECT_EQ(s.text(4, 65, 76), "USAEWHERE   ");
  EXPECT_EQ(s.screen().cursorRow(), 24);
}

TEST(Editor, TimeOffIsFilledOnceTheCursorLeavesTheTime) {
  Station s;
  s.terminal.key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab).type("1234");
  s.run();
  EXPECT_EQ(s.screen().cursorColumn(), 35);
  EXPECT_EQ(s.text(4, 60, 63), "    ");
  s.terminal.type("D");
  s.run();
  EXPECT_EQ(s.text(4, 60, 63), "1234");
  // A time off that starts with a character is left alone.
  Station t(recordBytes(contact("K1ABC")));
  t.terminal.ext(keys::kHome).key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab).type("2");
  t.terminal.key(keys::kTab);
  t.run();
  EXPECT_EQ(t.text(4, 30, 33), "2200");
  EXPECT_EQ(t.text(4, 60, 63), "1201");
}

TEST(Editor, ANewLineWithoutACallsignIsNotWritten) {
  Station s(logOf(2));
  s.terminal.type("05 MAY 26").ext(keys::kUp);
  s.run();
  EXPECT_EQ(s.log(), logOf(2));
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
}

TEST(Editor, MarkersOfBmAndAdStartTheComment) {
  Station s("", "BM= AD=");
  s.terminal.key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab).key(keys::kTab);
  s.terminal.type("K1ABC").key(keys::kTab).type("HI");
  s.run();
  EXPECT_EQ(s.text(24, 1, 10), "@BM @AS HI");
}

TEST(RoadOfANewContact, FromTypingToTheWorkedTable) {
  Station s;
  s.terminal.type("06 DEC 26").type("14.02500").type("cw  ").key(keys::kTab).type("1200");
  s.terminal.type("k1abc").key(keys::kTab).type("nice qso").key(keys::kEnter);
  s.run();
  ASSERT_TRUE(s.scriptEnded);

  LogRecord expected;
  expected.set(Field::DATE, "06 DEC 26");
  expected.set(Field::FREQ, "14.02500");
  expected.set(Field::MODE, "CW  ");
  expected.set(Field::PWR, "100 ");
  expected.set(Field::TIME, "1200");
  expected.set(Field::STATION, "K1ABC");
  expected.set(Field::SN, "599");
  expected.set(Field::RD, "599");
  expected.set(Field::TOFF, "1200");
  expected.set(Field::COUNTRY, "USA");
  expected.set(Field::SR, "  ");
  expected.set(Field::COMMENTS, "NICE QSO");
  expected.setSeparators();
  EXPECT_EQ(s.log(), recordBytes(expected));

  std::string usa = testing::entityLine("K", "USA");
  for (int c : {44, 48, 68}) usa[static_cast<size_t>(c - 1)] = '\\';
  EXPECT_NE(testing::readFile("WORKED.CFM").find(usa + "\r\n"), std::string::npos);

  EXPECT_EQ(s.text(24, 51, 77), "WORKED.CFM has been updated");
  EXPECT_EQ(s.lb.browse.currentRecord, 2);
  EXPECT_EQ(s.lb.browse.editRow, 5);
  EXPECT_EQ(s.text(4, 35, 39), "K1ABC");
  EXPECT_EQ(s.text(5, 1, 9), "06 DEC 26");  // the date of the contact just logged
  EXPECT_EQ(s.text(5, 35, 50), std::string(16, ' '));
  EXPECT_EQ(s.text(24, 1, 38), std::string(38, ' '));
  EXPECT_EQ(s.screen().cursorRow(), 5);
  EXPECT_EQ(s.screen().cursorColumn(), 1);
}

TEST(Browse, EscSavesTheLineAndLeaves) {
  Station s(logOf(1));
  s.terminal.type("K1ABC");  // into the date: the line has no callsign
  s.terminal.key(keys::kEsc);
  s.run();
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.log(), logOf(1));  // no callsign: not written
  Station t(logOf(1));
  t.terminal.ext(keys::kUp).type("9").key(keys::kEsc);
  t.run();
  EXPECT_EQ(t.record(1).get(Field::DATE), "91 JAN 26");
  EXPECT_EQ(t.screen().rowText(4), std::string(80, ' '));
  EXPECT_EQ(t.screen().cellAt(4, 1).bg, 0);
}

}  // namespace kivo
