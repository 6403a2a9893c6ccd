#include "logbook/frame/page_moves.h"

#include <algorithm>

#include "logbook/frame/browse.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

// Every page move saves the line first and remembers where the cursor was.
CursorKeeper beginPageMove(Logbook& lb) {
  saveCurrentLine(lb);
  return CursorKeeper(lb.console);
}

// Where a page move leaves the cursor: on the comment row when it was there,
// otherwise on the edit row, at the remembered column.
void restoreColumn(Logbook& lb, const CursorKeeper& from) {
  lb.console.locate(from.row() == commentRow(lb) ? commentRow(lb) : lb.browse.editRow, from.column());
}

// Shows the current line on the edit row, visible, with the frame.
void showEditRow(Logbook& lb) {
  lb.console.locate(lb.browse.editRow, 1);
  lb.console.screen().setCursorVisible(true);
  showCurrentLine(lb);
  drawFrame(lb);
}

// Draws the window as the page moves left it, with the record on the edit row current.
void showPage(Logbook& lb, const CursorKeeper& from) {
  BrowseState& b = lb.browse;
  drawPage(lb);
  b.currentRecord = b.firstShown + b.editRow - kFirstRecordRow;
  showEditRow(lb);
  restoreColumn(lb, from);
}

}  // namespace

void previousPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  if (b.firstShown <= 1) return;
  const CursorKeeper from = beginPageMove(lb);
  b.lastShown -= pageStep(lb);
  b.firstShown -= pageStep(lb);
  if (b.firstShown < 1) {
    b.firstShown = 1;
    b.lastShown = std::min<long long>(recordCount(lb), windowRows(lb));
    b.editRow = kFirstRecordRow;
  }
  showPage(lb, from);
}

void nextPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  if (b.lastShown >= recordCount(lb)) return;
  const CursorKeeper from = beginPageMove(lb);
  b.lastShown += pageStep(lb);
  if (b.lastShown > recordCount(lb)) {
    lastPage(lb);
    return;
  }
  b.firstShown += pageStep(lb);
  if (b.firstShown > b.lastShown) b.firstShown = std::max<long long>(1, b.lastShown - pageStep(lb));
  showPage(lb, from);
}

void firstPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  const CursorKeeper from = beginPageMove(lb);
  b.firstShown = 1;
  b.lastShown = std::min<long long>(windowRows(lb), recordCount(lb));
  drawPage(lb);
  b.editRow = kFirstRecordRow;
  b.currentRecord = 1;
  showEditRow(lb);
  restoreColumn(lb, from);
}

void lastPage(Logbook& lb) {
  BrowseState& b = lb.browse;
  beginPageMove(lb);
  b.lastShown = recordCount(lb);
  b.firstShown = std::max<long long>(1, firstOfLastPage(lb, b.lastShown));
  drawPage(lb);
  b.editRow = static_cast<int>(b.lastShown - b.firstShown + kFirstRecordRow + 1);
  b.currentRecord = b.firstShown + b.editRow - kFirstRecordRow;
  showEditRow(lb);
  lb.console.locate(b.editRow, 1);
  b.lastShown = b.currentRecord;
}

void selectRow(Logbook& lb, int row, int column) {
  saveCurrentLine(lb);
  drawPage(lb);
  lb.browse.editRow = row;
  lb.browse.currentRecord = lb.browse.firstShown + row - kFirstRecordRow;
  lb.console.locate(row, 1);
  showCurrentLine(lb);
  drawFrame(lb);
  lb.console.locate(row, column);
}

}  // namespace kivo
