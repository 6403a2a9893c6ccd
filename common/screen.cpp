#include "common/screen.h"

#include <algorithm>

#include "common/fatal.h"

namespace kivo {

Screen::Screen(int rows) : rows_(rows), cells_(static_cast<size_t>(rows * kColumns)) {}

void Screen::setRows(int rows) {
  rows_ = rows;
  cells_.assign(static_cast<size_t>(rows * kColumns), Cell{' ', static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)});
  row_ = column_ = 1;
  pendingWrap_ = false;
  touch();
}

void Screen::color(int fg, int bg) {
  fg_ = fg & 31;
  bg_ = bg & 15;
}

void Screen::cls() {
  std::fill(cells_.begin(), cells_.end(), Cell{' ', static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)});
  row_ = column_ = 1;
  pendingWrap_ = false;
  touch();
}

void Screen::locate(int row, int column) {
  if (row < 1 || row > rows_ || column < 1 || column > kColumns)
    fail(kIllegalFunctionCall, "locate " + std::to_string(row) + "," + std::to_string(column));
  row_ = row;
  column_ = column;
  pendingWrap_ = false;
  touch();
}

void Screen::setCursorVisible(bool visible) {
  if (visible != cursorVisible_) touch();
  cursorVisible_ = visible;
}

void Screen::setCursorShape(int start, int end) {
  if (start != cursorStart_ || end != cursorEnd_) touch();
  cursorStart_ = start;
  cursorEnd_ = end;
}

void Screen::scrollUp() {
  std::move(cells_.begin() + kColumns, cells_.end(), cells_.begin());
  std::fill(cells_.end() - kColumns, cells_.end(), Cell{' ', static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)});
}

void Screen::scrollRowsUp(int first, int last) {
  auto row = [&](int r) { return cells_.begin() + (r - 1) * kColumns; };
  std::move(row(first + 1), row(last + 1), row(first));
  std::fill(row(last), row(last + 1), Cell{' ', static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)});
  touch();
}

void Screen::scrollRowsDown(int first, int last) {
  auto row = [&](int r) { return cells_.begin() + (r - 1) * kColumns; };
  std::move_backward(row(first), row(last), row(last + 1));
  std::fill(row(first), row(first + 1), Cell{' ', static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)});
  touch();
}

void Screen::newLine() {
  pendingWrap_ = false;
  column_ = 1;
  if (row_ < rows_) {
    ++row_;
  } else {
    scrollUp();
  }
  touch();
}

void Screen::putChar(uint8_t ch) {
  if (pendingWrap_) newLine();
  Cell& cell = at(row_, column_);
  cell.ch = ch;
  cell.fg = static_cast<uint8_t>(fg_);
  cell.bg = static_cast<uint8_t>(bg_);
  if (column_ < kColumns) {
    ++column_;
  } else {
    pendingWrap_ = true;
  }
}

void Screen::print(std::string_view text) {
  // Most output fits on the cursor's row: written in one sweep.
  if (!pendingWrap_ && !text.empty() && static_cast<size_t>(kColumns - column_ + 1) >= text.size()) {
    Cell* cell = &at(row_, column_);
    for (char c : text) *cell++ = Cell{static_cast<uint8_t>(c), static_cast<uint8_t>(fg_), static_cast<uint8_t>(bg_)};
    column_ += static_cast<int>(text.size());
    if (column_ > kColumns) {
      column_ = kColumns;
      pendingWrap_ = true;
    }
  } else {
    for (char c : text) putChar(static_cast<uint8_t>(c));
  }
  touch();
}

void Screen::nextZone() {
  int next = pendingWrap_ ? kColumns + 1 : ((column_ - 1) / kZoneWidth + 1) * kZoneWidth + 1;
  constexpr int kLastZone = 71;  // zones start at 1, 15, 29, 43, 57 and 71
  if (next > kLastZone) {
    newLine();
    return;
  }
  column_ = next;
  touch();
}

void Screen::outside(int row, int column) const {
  fail(kIllegalFunctionCall, "screen cell " + std::to_string(row) + "," + std::to_string(column));
}

void Screen::setChar(int row, int column, uint8_t ch) {
  cellAt(row, column);  // range check
  Cell& cell = at(row, column);
  cell.ch = ch;
  cell.fg = static_cast<uint8_t>(fg_);
  cell.bg = static_cast<uint8_t>(bg_);
  touch();
}

void Screen::setCellColor(int row, int column, int fg, int bg) {
  cellAt(row, column);
  Cell& cell = at(row, column);
  cell.fg = static_cast<uint8_t>(fg & 31);
  cell.bg = static_cast<uint8_t>(bg & 15);
  touch();
}

void Screen::paintRow(int row, int fg, int bg) {
  cellAt(row, 1);
  for (int c = 1; c <= kColumns; ++c) {
    Cell& cell = at(row, c);
    cell.fg = static_cast<uint8_t>(fg & 31);
    cell.bg = static_cast<uint8_t>(bg & 15);
  }
  touch();
}

std::string Screen::rowText(int row) const { return textAt(row, 1, kColumns); }

std::string_view Screen::textInto(int row, int first, int last, char* out) const {
  if (last < first) return {};
  cellAt(row, first);  // range checks
  cellAt(row, last);
  const size_t n = static_cast<size_t>(last - first + 1);
  const Cell* cell = &cells_[static_cast<size_t>((row - 1) * kColumns + (first - 1))];
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(cell[i].ch);
  return {out, n};
}

std::string Screen::textAt(int row, int first, int last) const {
  std::string out;
  if (last < first) return out;
  cellAt(row, first);  // range checks
  cellAt(row, last);
  out.resize(static_cast<size_t>(last - first + 1));
  const Cell* cell = &cells_[static_cast<size_t>((row - 1) * kColumns + (first - 1))];
  for (char& c : out) c = static_cast<char>((cell++)->ch);
  return out;
}

std::string Screen::wordAt(int row, int column) const {
  if (row < 1 || row > rows_) return {};
  int c = std::clamp(column, 1, kColumns);
  while (c > 1 && charAt(row, c) != ' ') --c;
  if (c < kColumns && charAt(row, c) == ' ') ++c;
  std::string word;
  while (c <= kColumns && charAt(row, c) != ' ') word.push_back(static_cast<char>(charAt(row, c++)));
  return word;
}

}  // namespace kivo
