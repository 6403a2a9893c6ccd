#include "logbook/frame/key_dispatch.h"

#include <algorithm>
#include <string>

#include "common/text.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/page_moves.h"
#include "logbook/frame/realtime.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_commands.h"
#include "logbook/records/printing.h"

namespace kivo {

namespace {

// The step right that Tab, Right and typing end with: off a separator and, at the
// end of the comment, the Enter action.
HandlerResult stepRight(Logbook& lb) {
  if (skipSeparator(lb) || pastComment(lb)) return enterAndCheckDropFile(lb);
  return HandlerResult::Handled;
}

HandlerResult typeCharacter(Logbook& lb, unsigned char ch) {
  Console& con = lb.console;
  Screen& s = con.screen();
  ch = static_cast<unsigned char>(upperChar(static_cast<char>(ch)));
  const int row = con.row();
  const int column = con.column();
  // A click can leave the cursor on a separator. Typing there would break the row
  // apart (and in column 80 run on into the row below, which is saved with it).
  if (s.charAt(row, column) == kSeparator) return HandlerResult::Handled;
  lb.lineModified = true;
  if (lb.browse.insertMode) {
    int end = column;
    while (end <= Screen::kColumns && s.charAt(row, end) != kSeparator) ++end;
    // The last character of the field is pushed out; the separator never moves.
    for (int c = end - 2; c >= column; --c) s.setChar(row, c + 1, s.charAt(row, c));
  }
  con.print(std::string(1, static_cast<char>(ch)));
  return stepRight(lb);
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

HandlerResult tab(Logbook& lb) {
  Console& con = lb.console;
  const int row = con.row();
  int column = con.column();
  while (column < Screen::kColumns && con.charAt(row, column) != kSeparator) ++column;
  con.locate(row, column);
  return stepRight(lb);
}

HandlerResult right(Logbook& lb) {
  Console& con = lb.console;
  if (con.column() < Screen::kColumns) con.locate(con.row(), con.column() + 1);
  return stepRight(lb);
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

HandlerResult dispatchCharacter(Logbook& lb, unsigned char c) {
  switch (c) {
    case kSeparator: return HandlerResult::Handled;  // never typed into a field
    case keys::kEscByte: return HandlerResult::Leave;
    case keys::kEnterByte:
      if (lb.workedBeforeMode) return functionKey(lb, FunctionKey::WorkedBefore);
      return enterAndCheckDropFile(lb);
    case keys::kBackspaceByte: backspace(lb); return HandlerResult::Handled;
    case keys::kTabByte: return tab(lb);
    default: return typeCharacter(lb, c);
  }
}

HandlerResult dispatchExtended(Logbook& lb, unsigned char scan) {
  BrowseState& b = lb.browse;
  switch (scan) {
    case keys::kAltU: b.scrollMode = ScrollMode::Update; break;
    case keys::kAltA: return switchRealTime(lb);
    case keys::kAltD: return deleteLastRecord(lb);
    case keys::kAltL: b.scrollMode = ScrollMode::MarkSentLotw; break;
    case keys::kAltS: lb.exportRange.start = b.currentRecord; break;
    case keys::kAltE: lb.exportRange.end = b.currentRecord; break;
    case keys::kF1: return functionKey(lb, FunctionKey::Search);
    case keys::kF2: return functionKey(lb, FunctionKey::WorkedBefore);
    case keys::kF4: return functionKey(lb, FunctionKey::Print);
    case keys::kF5: return functionKey(lb, FunctionKey::Reports);
    case keys::kF6: return functionKey(lb, FunctionKey::NewFile);
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
    case keys::kRight: return right(lb);
    case keys::kPgUp: previousPage(lb); break;
    case keys::kPgDn: nextPage(lb); break;
    default: break;  // F3 and every other key do nothing
  }
  return HandlerResult::Handled;
}

}  // namespace

HandlerResult enterAndCheckDropFile(Logbook& lb) {
  const HandlerResult result = enterLine(lb);
  checkDropFile(lb);
  return result;
}

namespace {

// The commands that begin by saving the line: it is saved, and goes into the award
// tables, before their dialogue, so that nothing typed waits on an answer.
void saveBeforeCommand(Logbook& lb) {
  saveCurrentLine(lb);
  settleSavedContacts(lb);
}

}  // namespace

HandlerResult functionKey(Logbook& lb, FunctionKey key) {
  HandlerResult result = HandlerResult::Handled;
  switch (key) {
    case FunctionKey::Search:
      saveBeforeCommand(lb);
      searchForward(lb);
      break;
    case FunctionKey::WorkedBefore:
      saveBeforeCommand(lb);
      result = toggleWorkedBefore(lb);
      break;
    case FunctionKey::Print: printLog(lb); break;
    case FunctionKey::Reports:
      saveBeforeCommand(lb);
      runReportsMenu(lb);
      result = HandlerResult::Rebuild;
      break;
    case FunctionKey::NewFile:
      saveBeforeCommand(lb);
      result = changeLogFile(lb);
      break;
  }
  // A dialogue on the frame rows ends with the frame drawn again over them.
  if (result == HandlerResult::Handled) drawFrame(lb);
  return result;
}

HandlerResult switchRealTime(Logbook& lb) {
  saveCurrentLine(lb);
  lb.browse.realTimeMode = !lb.browse.realTimeMode;
  return HandlerResult::Rebuild;
}

HandlerResult dispatchKey(Logbook& lb, const std::string& key) {
  if (key.size() == 1) return dispatchCharacter(lb, static_cast<unsigned char>(key[0]));
  if (key.size() == 2) return dispatchExtended(lb, static_cast<unsigned char>(key[1]));
  return HandlerResult::Handled;
}

}  // namespace kivo
