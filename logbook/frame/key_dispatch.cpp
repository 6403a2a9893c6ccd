// The keys of the browse screen: the two dispatch tables and the editing keys.
#include <algorithm>
#include <string>

#include "common/text.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/realtime.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_commands.h"
#include "logbook/records/printing.h"

namespace kivo {

namespace {

// The step right that Tab, Right and typing end with: off a separator and, at the
// end of the comment, the Enter action.
void stepRight(Logbook& lb) {
  if (skipSeparator(lb) || pastComment(lb)) enterAndCheckDropFile(lb);
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
  stepRight(lb);
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
  stepRight(lb);
}

void right(Logbook& lb) {
  Console& con = lb.console;
  if (con.column() < Screen::kColumns) con.locate(con.row(), con.column() + 1);
  stepRight(lb);
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
    // From the start of the comment back to the last field of the record row.
    row = lb.browse.editRow;
    column = lastColumn(Field::SR);
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

void switchInsertMode(Logbook& lb) {
  BrowseState& b = lb.browse;
  b.insertMode = !b.insertMode;
  // A half block while inserting, the underline while typing over.
  if (b.insertMode) {
    lb.console.screen().setCursorShape(4, 7);
  } else {
    lb.console.screen().setCursorShape(7, 7);
  }
}

bool dispatchCharacter(Logbook& lb, unsigned char c) {
  switch (c) {
    case 0xFF: break;  // the dummy key
    case 27: return false;
    case 13:
      if (lb.workedBeforeMode) {
        functionKey(lb, FunctionKey::WorkedBefore);
      } else {
        enterAndCheckDropFile(lb);
      }
      break;
    case 8: backspace(lb); break;
    case 9: tab(lb); break;
    default: typeCharacter(lb, c); break;
  }
  return true;
}

void dispatchExtended(Logbook& lb, unsigned char scan) {
  BrowseState& b = lb.browse;
  switch (scan) {
    case keys::kAltU: b.scrollMode = ScrollMode::Update; break;
    case keys::kAltA: switchRealTime(lb); break;
    case keys::kAltD: deleteLastRecord(lb); break;
    case keys::kAltL: b.scrollMode = ScrollMode::MarkSentLotw; break;
    case keys::kAltS: b.adifStart = b.currentRecord; break;
    case keys::kAltE: b.adifEnd = b.currentRecord; break;
    case keys::kF1: functionKey(lb, FunctionKey::Search); break;
    case keys::kF2: functionKey(lb, FunctionKey::WorkedBefore); break;
    case keys::kF4: functionKey(lb, FunctionKey::Print); break;
    case keys::kF5: functionKey(lb, FunctionKey::Reports); break;
    case keys::kF6: functionKey(lb, FunctionKey::NewFile); break;
    case keys::kInsert: switchInsertMode(lb); break;
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
    default: break;  // F3 and every other key do nothing
  }
}

}  // namespace

void enterAndCheckDropFile(Logbook& lb) {
  enterLine(lb);
  checkDropFile(lb);
}

void functionKey(Logbook& lb, FunctionKey key) {
  switch (key) {
    case FunctionKey::Search: searchForward(lb); break;
    case FunctionKey::WorkedBefore:
      saveCurrentLine(lb);
      toggleWorkedBefore(lb);
      lb.browse.rebuildRequested = true;
      break;
    case FunctionKey::Print: printLog(lb); break;
    case FunctionKey::Reports:
      saveCurrentLine(lb);
      runReportsMenu(lb);
      lb.browse.rebuildRequested = true;
      break;
    case FunctionKey::NewFile: changeLogFile(lb); break;
  }
  // A dialogue on the frame rows ends with the frame drawn again over them.
  if (!lb.browse.rebuildRequested) drawFrame(lb);
}

void switchRealTime(Logbook& lb) {
  saveCurrentLine(lb);
  lb.browse.realTimeMode = !lb.browse.realTimeMode;
  lb.browse.rebuildRequested = true;
}

bool dispatchKey(Logbook& lb, const std::string& key) {
  if (key.size() == 1) return dispatchCharacter(lb, static_cast<unsigned char>(key[0]));
  if (key.size() == 2) dispatchExtended(lb, static_cast<unsigned char>(key[1]));
  return true;
}

}  // namespace kivo
