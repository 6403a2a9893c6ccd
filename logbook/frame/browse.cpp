#include "logbook/frame/browse.h"

#include <algorithm>
#include <string>

#include "common/text.h"
#include "logbook/frame/realtime.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_commands.h"
#include "logbook/records/log_store.h"
#include "logbook/records/printing.h"

namespace kivo {

namespace {

// The dummy key: does nothing, but ends the wait so that a pass can finish.
const std::string kDummyKey(1, static_cast<char>(0xFF));

int windowRows(const Logbook& lb) { return lb.config.screenRows - 5; }

struct CursorKeeper {
  Console& con;
  int row;
  int column;
  explicit CursorKeeper(Console& c) : con(c), row(c.row()), column(c.column()) {}
  void restore() { con.locate(row, column); }
};

void showMessages(Logbook& lb) {
  if (!lb.workedUpdated && !lb.gridUpdated) return;
  Console& con = lb.console;
  CursorKeeper keep(con);
  con.color(30, 1);
  if (lb.gridUpdated) {
    con.locate(commentRow(lb), 51);
    con.print(kGridMessage);
  }
  if (lb.workedUpdated) {
    con.locate(commentRow(lb), 51);
    con.print(kWorkedMessage);
  }
  con.color(7, 4);
  keep.restore();
}

void clearMessages(Logbook& lb) {
  lb.workedUpdated = false;
  lb.gridUpdated = false;
  Console& con = lb.console;
  CursorKeeper keep(con);
  con.color(7, 1);
  con.locate(commentRow(lb), 50);
  con.print(std::string(30, ' '));
  con.color(7, 4);
  keep.restore();
}

// Where a page move leaves the cursor: on the comment row when it was there,
// otherwise on the edit row, at the remembered column.
void restoreColumn(Logbook& lb, int row, int column) {
  lb.console.locate(row == commentRow(lb) ? commentRow(lb) : lb.browse.editRow, column);
}

// Draws the window as the page moves left it, with the record on the edit row current.
void showPage(Logbook& lb, int row, int column) {
  BrowseState& b = lb.browse;
  drawPage(lb);
  b.currentRecord = b.firstShown + b.editRow - kFirstRecordRow;
  lb.console.locate(b.editRow, 1);
  showCurrentLine(lb);
  restoreColumn(lb, row, column);
}

void functionKey(Logbook& lb, int number) {
  switch (number) {
    case 1: searchForward(lb); break;
    case 2:
      saveCurrentLine(lb);
      toggleWorkedBefore(lb);
      lb.browse.rebuildRequested = true;
      break;
    case 4: printLog(lb); break;
    case 5:
      saveCurrentLine(lb);
      runReportsMenu(lb);
      lb.browse.rebuildRequested = true;
      break;
    case 6: changeLogFile(lb); break;
    default: break;  // F3 does nothing
  }
}

void switchRealTime(Logbook& lb) {
  saveCurrentLine(lb);
  lb.browse.realTimeMode = !lb.browse.realTimeMode;
  lb.browse.rebuildRequested = true;
}

void typeCharacter(Logbook& lb, unsigned char ch) {
  Console& con = lb.console;
  Screen& s = con.screen();
  ch = static_cast<unsigned char>(upperChar(static_cast<char>(ch)));
  const int row = con.row();
  const int column = con.column();
  // A click can leave the cursor on a separator. Typing there would break the row
  // apart (and in column 80 run on into the row below, which is saved with it).
  if (s.charAt(row, column) == kSeparator) return;
  lb.lineModified = true;
  if (lb.browse.insertMode) {
    int end = column;
    while (end <= Screen::kColumns && s.charAt(row, end) != kSeparator) ++end;
    // The last character of the field is pushed out; the separator never moves.
    for (int c = end - 2; c >= column; --c) s.setChar(row, c + 1, s.charAt(row, c));
  }
  con.print(std::string(1, static_cast<char>(ch)));
  skipSeparator(lb);
  if (con.row() == commentRow(lb) && con.column() > kCommentWidth) enterLine(lb);
}

void backspace(Logbook& lb) {
  Console& con = lb.console;
  const int row = con.row();
  const int column = con.column();
  if (column <= 1) return;
  if (con.charAt(row, column - 1) == kSeparator) return;
  con.locate(row, column - 1);
  deleteChar(lb);
}

void tab(Logbook& lb) {
  Console& con = lb.console;
  const int row = con.row();
  int column = con.column();
  while (column < Screen::kColumns && con.charAt(row, column) != kSeparator) ++column;
  con.locate(row, column);
  skipSeparator(lb);
  if (con.row() == commentRow(lb) && con.column() > kCommentWidth) enterLine(lb);
}

void right(Logbook& lb) {
  Console& con = lb.console;
  if (con.column() < Screen::kColumns) con.locate(con.row(), con.column() + 1);
  skipSeparator(lb);
  if (con.row() == commentRow(lb) && con.column() > kCommentWidth) enterLine(lb);
}

void up(Logbook& lb) {
  const int column = lb.console.column();
  moveLineUp(lb);
  lb.console.locate(lb.browse.editRow, column);
}

void shiftTab(Logbook& lb) {
  Console& con = lb.console;
  int row = con.row();
  int column = con.column();
  auto separatorAt = [&](int c) { return con.charAt(row, c) == kSeparator; };
  while (!separatorAt(column) && column > 1) --column;
  if (column == 1 && row == commentRow(lb)) {
    row = lb.browse.editRow;
    column = 79;
  } else if (column == 1) {
    con.locate(row, column);
    if (lb.browse.currentRecord != 1) {
      moveLineUp(lb);
      con.locate(commentRow(lb), 1);
    }
    return;
  }
  column = std::max(1, column - 2);
  while (!separatorAt(column) && column > 1) --column;
  ++column;
  if (column == 2) column = 1;
  con.locate(row, column);
}

void selectRow(Logbook& lb, int row, int column) {
  saveCurrentLine(lb);
  drawPage(lb);
  lb.browse.editRow = row;
  lb.browse.currentRecord = lb.browse.firstShown + row - kFirstRecordRow;
  lb.console.locate(row, 1);
  showCurrentLine(lb);
  lb.console.locate(row, column);
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
  std::string word = lb.console.screen().wordAt(row, column);
  if (row == rows) {
    if (word.size() >= 2 && word[1] >= '1' && word[1] <= '6') functionKey(lb, word[1] - '0');
  } else if (row == 3) {
    if (word == "PGUP") previousPage(lb);
    else if (word == "PGDN") nextPage(lb);
    else if (word == "HOME") firstPage(lb);
    else if (word == "END") lastPage(lb);
    else if (word == "EXIT") key = keys::kEsc;  // leaves through the exit sequence
    else if (word == "REAL") switchRealTime(lb);
    else if (word == "UPDATE") {
      lb.browse.scrollMode = 1;
      key = kDummyKey;
    }
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
    if (++b.mouseHoldCount > 50) {
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

}  // namespace

void drawFrame(Logbook& lb) {
  Console& con = lb.console;
  CursorKeeper keep(con);
  const int rows = lb.config.screenRows;

  con.color(7, 1);
  con.locate(1, 1);
  con.print(std::string(80, ' '));
  con.locate(2, 1);
  con.print(std::string(80, ' '));
  con.locate(1, 1);
  con.print(kBanner);
  con.locate(1, 41);
  // A long path must not run into the rows below: the screen is the edit buffer.
  con.print(fitWidth("File = " + lb.config.logFileName, 24));
  con.locate(1, 65);
  con.print(fitWidth("Record =" + basicNumber(lb.browse.currentRecord), 16));

  con.color(14, 1);
  con.locate(2, 1);
  con.print(kCaptions);
  con.color(10, 1);
  con.locate(3, 24);
  con.print(kCommandWords);
  con.color(14, 1);
  con.locate(rows, 1);
  con.print(kKeyLegend);

  con.locate(3, 70);
  if (lb.browse.realTimeMode) {
    con.color(30, 1);
    con.print("Realtime");
  } else {
    con.color(14, 1);
    con.print("        ");
  }
  con.color(7, 4);
  keep.restore();
  con.screen().setCursorVisible(true);
}

void buildScreen(Logbook& lb) {
  Console& con = lb.console;
  BrowseState& b = lb.browse;
  con.color(7, 1);
  con.cls();
  const long long n = recordCount(lb);
  b.lastShown = n;
  b.firstShown = n < windowRows(lb) ? 1 : n - lb.config.screenRows + 7;
  drawPage(lb);
  b.editRow = static_cast<int>(kFirstRecordRow + (b.lastShown - b.firstShown + 1));
  con.color(7, 4);
  b.currentRecord = n + 1;
  con.locate(b.editRow, 1);
  con.print(emptyRowText());
  con.locate(b.editRow, 1);
  con.screen().setCursorVisible(true);
  showCurrentLine(lb);
  con.locate(b.editRow, b.realTimeMode ? fieldInfo(Field::STATION).column : 1);
  b.lastShown = n + 1;
  b.rebuildRequested = false;
}

void previousPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  if (b.firstShown <= 1) return;
  Console& con = lb.console;
  saveCurrentLine(lb);
  const int row = con.row();
  const int column = con.column();
  const int step = lb.config.screenRows - 6;
  b.lastShown -= step;
  b.firstShown -= step;
  if (b.firstShown < 1) {
    b.firstShown = 1;
    b.lastShown = std::min<long long>(recordCount(lb), windowRows(lb));
    b.editRow = kFirstRecordRow;
  }
  showPage(lb, row, column);
}

void nextPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  const long long count = recordCount(lb);
  if (b.lastShown >= count) return;
  Console& con = lb.console;
  saveCurrentLine(lb);
  const int row = con.row();
  const int column = con.column();
  const int step = lb.config.screenRows - 6;
  b.lastShown += step;
  if (b.lastShown > recordCount(lb)) {
    lastPage(lb);
    return;
  }
  b.firstShown += step;
  if (b.firstShown > b.lastShown) b.firstShown = std::max<long long>(1, b.lastShown - lb.config.screenRows + 6);
  showPage(lb, row, column);
}

void firstPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  Console& con = lb.console;
  saveCurrentLine(lb);
  const int row = con.row();
  const int column = con.column();
  b.firstShown = 1;
  b.lastShown = std::min<long long>(windowRows(lb), recordCount(lb));
  drawPage(lb);
  b.editRow = kFirstRecordRow;
  b.currentRecord = 1;
  con.locate(kFirstRecordRow, 1);
  con.screen().setCursorVisible(true);
  showCurrentLine(lb);
  restoreColumn(lb, row, column);
}

void lastPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  Console& con = lb.console;
  saveCurrentLine(lb);
  b.lastShown = recordCount(lb);
  b.firstShown = std::max<long long>(1, b.lastShown - lb.config.screenRows + 7);
  drawPage(lb);
  b.editRow = static_cast<int>(b.lastShown - b.firstShown + 5);
  b.currentRecord = b.firstShown + b.editRow - kFirstRecordRow;
  con.locate(b.editRow, 1);
  con.screen().setCursorVisible(true);
  showCurrentLine(lb);
  con.locate(b.editRow, 1);
  b.lastShown = b.currentRecord;
}

bool dispatchKey(Logbook& lb, const std::string& key) {
  if (key.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(key[0]);
    switch (c) {
      case 0xFF: break;
      case 27: return false;
      case 13:
        if (lb.workedBeforeMode) {
          functionKey(lb, 2);
        } else {
          enterLine(lb);
        }
        break;
      case 8: backspace(lb); break;
      case 9: tab(lb); break;
      default: typeCharacter(lb, c); break;
    }
    return true;
  }
  if (key.size() != 2) return true;
  BrowseState& b = lb.browse;
  switch (static_cast<unsigned char>(key[1])) {
    case keys::kAltU: b.scrollMode = 1; break;
    case keys::kAltA: switchRealTime(lb); break;
    case keys::kAltD: deleteLastRecord(lb); break;
    case keys::kAltL: b.scrollMode = 2; break;
    case keys::kAltS: b.adifStart = b.currentRecord; break;
    case keys::kAltE: b.adifEnd = b.currentRecord; break;
    case keys::kF1: functionKey(lb, 1); break;
    case keys::kF2: functionKey(lb, 2); break;
    case keys::kF3: break;
    case keys::kF4: functionKey(lb, 4); break;
    case keys::kF5: functionKey(lb, 5); break;
    case keys::kF6: functionKey(lb, 6); break;
    case keys::kInsert:
      b.insertMode = !b.insertMode;
      if (b.insertMode) {
        lb.console.screen().setCursorShape(4, 7);
      } else {
        lb.console.screen().setCursorShape(7, 7);
      }
      break;
    case keys::kDelete: deleteChar(lb); break;
    case keys::kShiftTab: shiftTab(lb); break;
    case keys::kHome: firstPage(lb); break;
    case keys::kEnd: lastPage(lb); break;
    case keys::kUp: up(lb); break;
    case keys::kDown: moveLineDown(lb); break;
    case keys::kLeft:
      if (lb.console.column() > 1) moveLeft(lb);
      break;
    case keys::kRight: right(lb); break;
    case keys::kPgUp: previousPage(lb); break;
    case keys::kPgDn: nextPage(lb); break;
    default: break;
  }
  return true;
}

bool commandPass(Logbook& lb) {
  BrowseState& b = lb.browse;
  if (lb.config.autoLogPending) {
    autoLogFill(lb);
  } else {
    fillTimeOff(lb);
  }
  fillCountry(lb);
  showMessages(lb);

  std::string key;
  if (b.currentRecord > recordCount(lb)) b.scrollMode = 0;
  if (b.scrollMode != 0) {
    key = keys::extended(keys::kDown);
    // The run goes as fast as the log allows; a key stops it after this move.
    if (!lb.console.inkey().empty()) {
      b.scrollMode = 0;
    } else {
      lb.lineModified = true;
      if (b.scrollMode == 2) {
        uint8_t& sent = lb.record.bytes[static_cast<size_t>(fieldInfo(Field::SR).offset)];
        sent = (sent == ' ' || sent == 'L') ? 'L' : 'B';
      }
    }
  } else {
    key = waitForInput(lb);
  }
  clearMessages(lb);
  if (!dispatchKey(lb, key)) return false;
  if (b.rebuildRequested) buildScreen(lb);
  return true;
}

int exitSequence(Logbook& lb) {
  saveCurrentLine(lb);
  closeLog(lb);
  lb.console.color(7, 0);
  lb.console.cls();
  removeFile(kRunMarker);
  return 0;
}

int browseLogbook(Logbook& lb) {
  buildScreen(lb);
  while (commandPass(lb)) {
  }
  return exitSequence(lb);
}

}  // namespace kivo
