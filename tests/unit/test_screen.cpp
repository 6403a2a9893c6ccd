#include <gtest/gtest.h>

#include "common/console.h"
#include "common/fatal.h"
#include "common/screen.h"
#include "tests/support/scripted_terminal.h"

namespace kivo {

TEST(Screen, PrintWrapsAtColumn80AndWaitsBeforeWrapping) {
  Screen s(25);
  s.locate(1, 75);
  s.print("ABCDEF");  // fills 75..80, wrap pending
  EXPECT_EQ(s.cursorRow(), 1);
  EXPECT_EQ(s.charAt(1, 80), 'F');
  EXPECT_EQ(s.charAt(2, 1), ' ');
  s.print("G");
  EXPECT_EQ(s.charAt(2, 1), 'G');
  EXPECT_EQ(s.cursorRow(), 2);
  EXPECT_EQ(s.cursorColumn(), 2);
}

TEST(Screen, AFullBottomRowDoesNotScroll) {
  Screen s(25);
  s.locate(1, 1);
  s.print("TOP");
  s.locate(25, 1);
  s.print(std::string(80, 'Z'));
  EXPECT_EQ(s.charAt(1, 1), 'T');
  EXPECT_EQ(s.charAt(25, 80), 'Z');
  // More output does scroll.
  s.print("!");
  EXPECT_EQ(s.charAt(1, 1), ' ');
  EXPECT_EQ(s.charAt(24, 1), 'Z');
  EXPECT_EQ(s.charAt(25, 1), '!');
}

TEST(Screen, NewLineAtTheBottomScrollsInTheCurrentColours) {
  Screen s(25);
  s.color(14, 1);
  s.cls();
  s.locate(2, 1);
  s.print("second");
  s.locate(25, 1);
  s.color(7, 4);
  s.printLine("last");
  EXPECT_EQ(s.textAt(1, 1, 6), "second");
  EXPECT_EQ(s.textAt(24, 1, 4), "last");
  EXPECT_EQ(s.cellAt(25, 1).bg, 4);
  EXPECT_EQ(s.cursorRow(), 25);
  EXPECT_EQ(s.cursorColumn(), 1);
}

TEST(Screen, ColoursAndBlinkAreKeptPerCell) {
  Screen s(25);
  s.color(30, 1);
  s.locate(3, 70);
  s.print("Realtime");
  EXPECT_EQ(s.cellAt(3, 70).fg, 30);
  EXPECT_EQ(s.cellAt(3, 70).bg, 1);
  EXPECT_EQ(s.cellAt(3, 69).fg, 7);
}

TEST(Screen, PrintZonesOf14Columns) {
  Screen s(25);
  s.locate(1, 1);
  s.print("A");
  s.nextZone();
  EXPECT_EQ(s.cursorColumn(), 15);
  s.print(std::string(14, 'B'));  // 15..28, the next zone starts at 29
  s.nextZone();
  EXPECT_EQ(s.cursorColumn(), 43);
  s.locate(1, 72);
  s.nextZone();
  EXPECT_EQ(s.cursorRow(), 2);
  EXPECT_EQ(s.cursorColumn(), 1);
}

TEST(Screen, WordUnderACell) {
  Screen s(25);
  s.locate(25, 1);
  s.print("Press any key or click this word EXIT to exit");
  EXPECT_EQ(s.wordAt(25, 34), "EXIT");
  EXPECT_EQ(s.wordAt(25, 37), "EXIT");
  EXPECT_EQ(s.wordAt(25, 33), "EXIT");  // the blank before a word reads the word to its right
  EXPECT_EQ(s.wordAt(25, 1), "Press");
  EXPECT_EQ(s.wordAt(25, 45), "exit");
  EXPECT_EQ(s.wordAt(25, 60), "");  // blanks to the end of the row
  s.locate(3, 75);
  s.print("ABCDEF");
  EXPECT_EQ(s.wordAt(3, 80), "ABCDEF");
}

TEST(Screen, OutOfRangeCellIsAnIllegalFunctionCall) {
  Screen s(25);
  EXPECT_THROW(s.locate(26, 1), RuntimeError);
  EXPECT_THROW(s.charAt(1, 81), RuntimeError);
  try {
    s.locate(0, 1);
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 1);
  }
}

TEST(Screen, VersionChangesOnlyWithVisibleChanges) {
  Screen s(25);
  uint64_t v = s.version();
  s.setCursorVisible(true);
  EXPECT_EQ(s.version(), v);
  s.print("x");
  EXPECT_NE(s.version(), v);
}

TEST(Console, LineInputEchoesAndHonoursBackspace) {
  ScriptedTerminal t;
  t.type("k1ab").key(keys::kBackspace).type("X").ext(keys::kF1).key(keys::kEnter);
  Console c(t);
  c.locate(1, 1);
  c.print("Call? ");
  EXPECT_EQ(c.lineInput(), "k1aX");
  EXPECT_EQ(c.screen().textAt(1, 1, 11), "Call? k1aX ");
  EXPECT_EQ(c.row(), 2);
}

TEST(Console, BackspaceOverAFullRow) {
  ScriptedTerminal t;
  t.type("AB").key(keys::kBackspace).key(keys::kBackspace).key(keys::kBackspace).type("Z").key(keys::kEnter);
  Console c(t);
  c.locate(5, 79);
  EXPECT_EQ(c.lineInput(), "Z");
  EXPECT_EQ(c.charAt(5, 79), 'Z');
  EXPECT_EQ(c.charAt(5, 80), ' ');
}

TEST(Console, InputItemTakesTheFirstItem) {
  ScriptedTerminal t;
  t.type("  \"A, B\" , C").key(keys::kEnter);
  Console c(t);
  EXPECT_EQ(c.inputItem(), "A, B");
}

TEST(ScriptedTerminal, EndsTheRunWhenTheScriptIsExhausted) {
  ScriptedTerminal t;
  t.type("a");
  Console c(t);
  EXPECT_EQ(c.waitKey(), "a");
  EXPECT_THROW(c.waitKey(), ScriptEnded);
}

TEST(ScriptedTerminal, MouseStatesAndClock) {
  ScriptedTerminal t;
  t.clock(LocalTime{2024, 2, 28, 23, 59, 59}).mouse(2, 30, true, 2).type("q");
  MouseState m;
  EXPECT_EQ(t.pollKey(), "");
  EXPECT_TRUE(t.pollMouse(m));
  EXPECT_TRUE(m.left);
  EXPECT_EQ(m.row, 2);
  EXPECT_TRUE(t.pollMouse(m));
  EXPECT_EQ(t.pollKey(), "q");
  t.pause(1000);
  EXPECT_EQ(t.now().month, 2);
  EXPECT_EQ(t.now().day, 29);  // 2024 is a leap year
  EXPECT_EQ(t.now().hour, 0);
  t.setMousePresent(false);
  EXPECT_FALSE(t.pollMouse(m));
}

}  // namespace kivo
