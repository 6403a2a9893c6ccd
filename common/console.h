#pragma once
// What program code calls for the console: the screen in memory plus the terminal.
// Output only changes the screen; the terminal is brought up to date when input is
// awaited (and now and then during long output).
#include <string>
#include <string_view>
#include <vector>

#include "common/palette.h"
#include "common/screen.h"
#include "common/terminal.h"

namespace kivo {

class Console {
 public:
  explicit Console(Terminal& terminal, int rows = 25);

  Screen& screen() { return screen_; }
  const Screen& screen() const { return screen_; }
  Terminal& terminal() { return terminal_; }

  void color(int fg, int bg) { screen_.color(fg, bg); }
  void color(Colors c) { screen_.color(c.fg, c.bg); }
  void cls() { screen_.cls(); }
  void locate(int row, int column) { screen_.locate(row, column); }
  void print(std::string_view text);
  void printLine(std::string_view text = {});
  // A line in other colours; the colours then return to what they were.
  void printLineIn(Colors colors, std::string_view text);
  void nextZone() { screen_.nextZone(); }
  uint8_t charAt(int row, int column) const { return screen_.charAt(row, column); }
  int row() const { return screen_.cursorRow(); }
  int column() const { return screen_.cursorColumn(); }

  // Asks for a screen of `rows` rows; false when the terminal cannot give it.
  bool setRows(int rows);

  // Non-blocking key poll; the terminal is brought up to date first.
  std::string inkey();
  // The same during long work: the terminal shows the screen at most about 30 times
  // a second instead of at every poll.
  std::string inkeyDuringOutput();
  bool pollMouse(MouseState& state) { return terminal_.pollMouse(state); }
  void pause(int ms);
  // Waits for any key and returns it.
  std::string waitKey();
  LocalTime now() { return terminal_.now(); }

  // A line typed at the cursor with echo and Backspace, ended by Enter (not part of
  // the result); at most kMaxInput characters. Extended keys are ignored.
  std::string lineInput();
  // The first input item of a typed line (see firstInputItem).
  std::string inputItem();
  // The answer to a question of the browse screen (see dialogueAnswer).
  std::string answerItem();

  static constexpr size_t kMaxInput = 4096;

 private:
  Screen screen_;
  Terminal& terminal_;
};

// Remembers where the cursor stands, to put it back there after drawing elsewhere.
class CursorKeeper {
 public:
  explicit CursorKeeper(Console& c) : con_(c), row_(c.row()), column_(c.column()) {}
  void restore() { con_.locate(row_, column_); }
  int row() const { return row_; }
  int column() const { return column_; }

 private:
  Console& con_;
  int row_;
  int column_;
};

// The first input item of a line: leading blanks and tabs skipped; a quoted item is
// the text between the quotes; otherwise the text up to the first comma, trailing
// blanks removed.
std::string firstInputItem(std::string_view line);

// The answer to a question of the browse screen: like the first input item, but the
// blanks at the end of an unquoted answer are kept, so that a search can look for
// them and "= " is not the "=" that repeats the last search.
std::string dialogueAnswer(std::string_view line);

// Reads successive input items from the bytes of a text file: items part at commas
// and at line ends, with the same rules as firstInputItem (after a quoted item the
// rest up to the next comma or line end is skipped).
class InputItemReader {
 public:
  explicit InputItemReader(std::string bytes) : bytes_(std::move(bytes)) {}
  // False at the end of the file.
  bool next(std::string& item);

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

}  // namespace kivo
