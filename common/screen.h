#pragma once
// The text screen in memory: 80 columns by 25 or 43 rows of cells, each a byte of
// code page 437 and a colour, with a cursor. Program output goes here; the terminal
// only draws it. Rows and columns count from 1.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct Cell {
  uint8_t ch = ' ';
  uint8_t fg = 7;  // 0-15, +16 for blink
  uint8_t bg = 0;  // 0-15
  bool operator==(const Cell&) const = default;
};

class Screen {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kZoneWidth = 14;

  explicit Screen(int rows = 25);

  int rows() const { return rows_; }
  // Changes the number of rows; the screen is cleared.
  void setRows(int rows);

  // Colours for the following output (foreground 0-31, background 0-15).
  void color(int fg, int bg);
  int foreground() const { return fg_; }
  int background() const { return bg_; }

  // Fills the screen with blanks in the current colours; cursor to 1,1.
  void cls();

  void locate(int row, int column);
  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }
  // True after a character was written in column 80 and before more output follows.
  bool wrapPending() const { return pendingWrap_; }
  void setCursorVisible(bool visible);
  bool cursorVisible() const { return cursorVisible_; }
  // Cursor shape as scan lines of an 8-line cell (7,7 an underline; 4,7 a half block).
  void setCursorShape(int start, int end);
  int cursorStart() const { return cursorStart_; }
  int cursorEnd() const { return cursorEnd_; }

  // Console printing at the cursor. Output wraps at column 80 and scrolls the screen
  // up when it passes the last row. A character written in column 80 leaves the wrap
  // pending until more output follows, so a full row, or the bottom row, can be
  // written without moving the screen.
  void print(std::string_view text);
  // Ends the line: the cursor goes to column 1 of the next row (scrolling at the bottom).
  void newLine();
  void printLine(std::string_view text) {
    print(text);
    newLine();
  }
  // Moves rows first+1..last up by one row (or first..last-1 down by one); the row
  // that comes free is blank in the current colours. The cursor does not move.
  void scrollRowsUp(int first, int last);
  void scrollRowsDown(int first, int last);
  // Moves on to the start of the next print zone of 14 columns (or the next row).
  void nextZone();

  uint8_t charAt(int row, int column) const { return cellAt(row, column).ch; }
  const Cell& cellAt(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > kColumns) outside(row, column);
    return cells_[static_cast<size_t>((row - 1) * kColumns + (column - 1))];
  }
  // Writes one cell directly in the current colours; the cursor does not move.
  void setChar(int row, int column, uint8_t ch);
  // Repaints one cell's colours, keeping its character.
  void setCellColor(int row, int column, int fg, int bg);
  // Every cell of the row in the colours, the bytes left as they are.
  void paintRow(int row, int fg, int bg);
  // The bytes of a row (80 of them), or of columns first..last.
  std::string rowText(int row) const;
  std::string textAt(int row, int first, int last) const;
  // The same bytes into `out`, which has room for them; a view of them.
  std::string_view textInto(int row, int first, int last, char* out) const;

  // The word under a cell: from the cell move left over non-blank cells, step back
  // right off a blank, then collect non-blank cells up to column 80.
  std::string wordAt(int row, int column) const;

  // Changes whenever anything visible changes, so a terminal can skip redraws.
  uint64_t version() const { return version_; }

 private:
  Cell& at(int row, int column) { return cells_[static_cast<size_t>((row - 1) * kColumns + (column - 1))]; }
  [[noreturn]] void outside(int row, int column) const;
  void scrollUp();
  void putChar(uint8_t ch);
  void touch() { ++version_; }

  int rows_;
  std::vector<Cell> cells_;
  int row_ = 1;
  int column_ = 1;
  bool pendingWrap_ = false;
  int fg_ = 7;
  int bg_ = 0;
  bool cursorVisible_ = true;
  int cursorStart_ = 7;
  int cursorEnd_ = 7;
  uint64_t version_ = 0;
};

}  // namespace kivo
