#include "common/console.h"

#include <algorithm>

namespace kivo {

Console::Console(Terminal& terminal, int rows) : screen_(rows), terminal_(terminal) {}

void Console::print(std::string_view text) {
  screen_.print(text);
  terminal_.outputTick(screen_);
}

void Console::printLine(std::string_view text) {
  screen_.printLine(text);
  terminal_.outputTick(screen_);
}

void Console::printLineIn(Colors colors, std::string_view text) {
  const Colors before{screen_.foreground(), screen_.background()};
  color(colors);
  printLine(text);
  color(before);
}

bool Console::setRows(int rows) {
  if (!terminal_.resize(rows)) return false;
  screen_.setRows(rows);
  return true;
}

std::string Console::inkey() {
  terminal_.show(screen_);
  return terminal_.pollKey();
}

std::string Console::inkeyDuringOutput() {
  terminal_.outputTick(screen_);
  return terminal_.pollKey();
}

void Console::pause(int ms) {
  terminal_.show(screen_);
  terminal_.pause(ms);
}

std::string Console::waitKey() {
  while (true) {
    std::string k = inkey();
    if (!k.empty()) return k;
    pause(10);
  }
}

std::string Console::lineInput() {
  std::string line;
  while (true) {
    std::string k = waitKey();
    if (k.size() != 1) continue;  // extended keys do nothing here
    unsigned char c = static_cast<unsigned char>(k[0]);
    if (c == '\r' || c == '\n') {
      screen_.newLine();
      return line;
    }
    if (c == 8) {
      if (line.empty()) continue;
      line.pop_back();
      int row = screen_.cursorRow();
      int col = screen_.cursorColumn();
      // The cursor stands after the echoed character, or on it when its row is full.
      if (!screen_.wrapPending()) {
        if (col > 1) {
          --col;
        } else if (row > 1) {
          --row;
          col = Screen::kColumns;
        }
      }
      screen_.locate(row, col);
      screen_.setChar(row, col, ' ');
      continue;
    }
    if (c < 32 || c == 127) continue;
    if (line.size() >= kMaxInput) continue;
    line.push_back(static_cast<char>(c));
    print(k);
  }
}

std::string Console::inputItem() { return firstInputItem(lineInput()); }
std::string Console::answerItem() { return dialogueAnswer(lineInput()); }

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Parses one item of `text` from `pos`, stopping at a comma or the end of `text`;
// `pos` ends on the comma (or the end).
std::string parseItem(std::string_view text, size_t& pos, bool keepTrailingBlanks = false) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  std::string item;
  if (pos < text.size() && text[pos] == '"') {
    size_t close = text.find('"', pos + 1);
    size_t end = close == std::string_view::npos ? text.size() : close;
    item.assign(text.substr(pos + 1, end - pos - 1));
    pos = close == std::string_view::npos ? text.size() : close + 1;
    while (pos < text.size() && text[pos] != ',') ++pos;
  } else {
    size_t comma = text.find(',', pos);
    size_t end = comma == std::string_view::npos ? text.size() : comma;
    item.assign(text.substr(pos, end - pos));
    if (!keepTrailingBlanks)
      while (!item.empty() && isBlank(item.back())) item.pop_back();
    pos = end;
  }
  if (item.size() > Console::kMaxInput) item.resize(Console::kMaxInput);
  return item;
}

}  // namespace

std::string firstInputItem(std::string_view line) {
  size_t pos = 0;
  return parseItem(line, pos);
}

std::string dialogueAnswer(std::string_view line) {
  size_t pos = 0;
  return parseItem(line, pos, true);
}

bool InputItemReader::next(std::string& item) {
  if (pos_ >= bytes_.size()) return false;
  size_t start = pos_;
  while (start < bytes_.size() && isBlank(bytes_[start])) ++start;
  // A quoted item runs to the next double quote, across line ends if need be.
  const size_t close = start < bytes_.size() && bytes_[start] == '"' ? bytes_.find('"', start + 1) : start;
  const size_t from = close == std::string::npos ? bytes_.size() : close;
  size_t lf = bytes_.find('\n', from);
  size_t lineEnd = lf == std::string::npos ? bytes_.size() : lf;
  size_t textEnd = lineEnd;
  if (textEnd > pos_ && bytes_[textEnd - 1] == '\r') --textEnd;
  std::string_view line(bytes_.data() + pos_, std::max(textEnd, from) - pos_);
  size_t at = 0;
  item = parseItem(line, at);
  if (at < line.size()) {
    pos_ += at + 1;  // past the comma: the next item is on the same line
  } else {
    pos_ = lf == std::string::npos ? bytes_.size() : lf + 1;
  }
  return true;
}

}  // namespace kivo
