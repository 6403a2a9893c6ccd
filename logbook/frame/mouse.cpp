// The mouse on the browse screen: clicks on record rows, command words and the key
// legend, with a held button repeating after half a second.
#include <string>

#include "logbook/frame/browse.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

constexpr int kCommandWordsRow = 3;
// Polls of 10 ms before a held button starts to repeat.
constexpr int kHoldPolls = 50;

void clickLegend(Logbook& lb, const std::string& word) {
  // "F1=Search" ... "F6=NewFile"; F3 has no word, so a digit between is nothing.
  if (word.size() < 2 || word[1] < '1' || word[1] > '6' || word[1] == '3') return;
  functionKey(lb, static_cast<FunctionKey>(word[1] - '0'));
}

void clickCommandWord(Logbook& lb, const std::string& word, std::string& key) {
  if (word == "PGUP")
    previousPage(lb);
  else if (word == "PGDN")
    nextPage(lb);
  else if (word == "HOME")
    firstPage(lb);
  else if (word == "END")
    lastPage(lb);
  else if (word == "EXIT")
    key = keys::kEsc;  // leaves through the exit sequence
  else if (word == "REAL")
    switchRealTime(lb);
  else if (word == "UPDATE") {
    lb.browse.scrollMode = ScrollMode::Update;
    key = kDummyKey;
  }
}

// Acts on a click at a screen cell counted from 1; may supply a key for the pass.
void clickAt(Logbook& lb, int row, int column, std::string& key) {
  const int rows = lb.config.screenRows;
  // A terminal larger than the screen reports clicks beside or below it; there is
  // nothing there to act on, and the cursor cannot be put there.
  if (row > rows || column > Screen::kColumns) return;
  if (row >= kFirstRecordRow && row <= lastRecordRow(lb)) {
    if (lb.browse.firstShown + row - kFirstRecordRow <= recordCount(lb) + 1) selectRow(lb, row, column);
    return;
  }
  const std::string word = lb.console.screen().wordAt(row, column);
  if (row == rows) {
    clickLegend(lb, word);
  } else if (row == kCommandWordsRow) {
    clickCommandWord(lb, word, key);
  }
}

void pollMouse(Logbook& lb, std::string& key) {
  MouseState m;
  if (!lb.console.pollMouse(m)) return;
  BrowseState& b = lb.browse;
  if (!m.left) {
    b.mousePressed = false;
    b.mouseRepeat = false;
    return;
  }
  if (b.mousePressed && !b.mouseRepeat) {
    if (++b.mouseHoldCount > kHoldPolls) {
      b.mouseHoldCount = 0;
      b.mousePressed = false;
      b.mouseRepeat = true;
    }
  } else {
    b.mousePressed = true;
    key.clear();
    clickAt(lb, m.row + 1, m.column + 1, key);
  }
  if (b.rebuildRequested && key.empty()) key = kDummyKey;
}

}  // namespace

std::string waitForInput(Logbook& lb) {
  while (true) {
    std::string key = lb.console.inkey();
    if (!key.empty()) return key;
    lb.console.pause(10);
    if (lb.config.mouseEnabled) {
      pollMouse(lb, key);
      if (!key.empty()) return key;
    }
  }
}

}  // namespace kivo
