#include "logbook/records/line_editor.h"

#include "logbook/records/log_store.h"

namespace kivo {

namespace {

const std::string kSep(1, static_cast<char>(kSeparator));

bool isSeparator(const Logbook& lb, int row, int column) { return lb.console.charAt(row, column) == kSeparator; }

// The fields shown on a record row, in screen order (the comment has its own row).
constexpr int kRowFields = 11;

}  // namespace

std::string recordRowText(const LogRecord& record) {
  std::string row;
  row.reserve(80);
  const char* bytes = reinterpret_cast<const char*>(record.bytes.data());
  for (int i = 0; i < kRowFields; ++i) {
    const FieldInfo& f = kFields[static_cast<size_t>(i)];
    row.append(bytes + f.offset, static_cast<size_t>(f.width));
    row += kSep;
  }
  return row;
}

std::string emptyRowText() {
  std::string row;
  for (int i = 0; i < kRowFields; ++i) {
    row.append(static_cast<size_t>(kFields[static_cast<size_t>(i)].width), ' ');
    row += kSep;
  }
  return row;
}

void drawPage(Logbook& lb) {
  Console& con = lb.console;
  con.color(palette::kRecords);
  con.cls();
  for (long long n = lb.browse.firstShown; n <= lb.browse.lastShown; ++n) {
    long long row = kFirstRecordRow + (n - lb.browse.firstShown);
    if (row > lastRecordRow(lb)) break;  // never into the comment row
    readRecord(lb, n);
    con.locate(static_cast<int>(row), 1);
    con.print(recordRowText(lb.record));
  }
}

namespace {

// A page that fills the window moves by one row in the screen itself, so that only
// the record that comes into view is read; what is left on the screen is what
// drawing the page anew gives.
bool windowFull(const Logbook& lb) {
  return lb.browse.lastShown - lb.browse.firstShown == lastRecordRow(lb) - kFirstRecordRow;
}

void showRecordOnRow(Logbook& lb, long long n, int row) {
  readRecord(lb, n);
  lb.console.locate(row, 1);
  lb.console.print(recordRowText(lb.record));
}

}  // namespace

void scrollPageUp(Logbook& lb) {
  --lb.browse.firstShown;
  --lb.browse.lastShown;
  if (!windowFull(lb) || lb.browse.firstShown < 1) return drawPage(lb);
  lb.console.color(palette::kRecords);
  lb.console.screen().scrollRowsDown(kFirstRecordRow, lastRecordRow(lb));
  // The page as drawn ends with the record at the bottom read last.
  showRecordOnRow(lb, lb.browse.firstShown, kFirstRecordRow);
  readRecord(lb, lb.browse.lastShown);
}

void scrollPageDown(Logbook& lb) {
  ++lb.browse.firstShown;
  ++lb.browse.lastShown;
  if (!windowFull(lb)) return drawPage(lb);
  lb.console.color(palette::kRecords);
  lb.console.screen().scrollRowsUp(kFirstRecordRow, lastRecordRow(lb));
  showRecordOnRow(lb, lb.browse.lastShown, lastRecordRow(lb));
}

void repaintLine(Logbook& lb) {
  Screen& s = lb.console.screen();
  s.paintRow(s.cursorRow(), s.foreground(), s.background());
}

void newLineDefaults(Logbook& lb) {
  Console& con = lb.console;
  const int row = lb.browse.editRow;
  if (!lb.browse.realTimeMode && !lb.autoLog.pending) {
    con.locate(row, 1);
    con.print(lb.record.get(Field::DATE));
  }
  con.locate(row, fieldInfo(Field::PWR).column);
  // A longer W= value must not run over the separator that ends the field.
  con.print(lb.config.defaultPower.substr(0, static_cast<size_t>(fieldInfo(Field::PWR).width)));
  con.locate(row, fieldInfo(Field::SN).column);
  con.print("599");
  con.locate(row, fieldInfo(Field::RD).column);
  con.print("599");
  con.locate(row, 1);
}

void showCurrentLine(Logbook& lb) {
  Console& con = lb.console;
  Screen& s = con.screen();
  const int row = lb.browse.editRow;
  const bool newContact = lb.browse.currentRecord > recordCount(lb);
  con.color(palette::kCurrentLine);
  if (newContact) {
    con.locate(row, 1);
    con.print(emptyRowText());
  }
  s.paintRow(row, palette::kCurrentLine.fg, palette::kCurrentLine.bg);
  for (int c = 1; c <= Screen::kColumns; ++c)
    if (s.charAt(row, c) == kSeparator) s.setCellColor(row, c, palette::kSeparatorCell.fg, palette::kSeparatorCell.bg);
  con.color(palette::kRecords);
  con.locate(commentRow(lb), kCommentCaptionColumn);
  con.print("Comments ");
  con.color(palette::kCurrentLine);
  con.locate(commentRow(lb), 1);
  if (!newContact) {
    readRecord(lb, lb.browse.currentRecord);
    con.print(lb.record.get(Field::COMMENTS));
    con.color(palette::kRecords);
    con.print(kSep);
  } else {
    con.print(std::string(kCommentWidth, ' '));
    con.color(palette::kRecords);
    con.print(kSep);
    con.color(palette::kCurrentLine);
    newLineDefaults(lb);
  }
}

namespace {

// True when record n is in the log, whole, with the bytes of the record buffer: a
// run over the whole log then rewrites only what it changes.
bool storedAlready(const Logbook& lb, long long n) {
  if (n < 1 || n * static_cast<long long>(kRecordSize) > lb.log.length()) return false;
  std::array<uint8_t, kRecordSize> stored;
  lb.log.read(n, stored.data());
  return stored == lb.record.bytes;
}

}  // namespace

void saveCurrentLine(Logbook& lb) {
  Console& con = lb.console;
  const int row = lb.browse.editRow;
  long long count = recordCount(lb);
  if (lb.browse.currentRecord > count && con.charAt(row, fieldInfo(Field::STATION).column) == ' ')
    lb.lineModified = false;  // a new line without a callsign is never written
  if (lb.lineModified) {
    const Screen& s = con.screen();
    char text[Screen::kColumns];
    for (int i = 0; i < kRowFields; ++i) {
      const FieldInfo& f = kFields[static_cast<size_t>(i)];
      if (f.field == Field::SR && lb.browse.scrollMode == ScrollMode::MarkSentLotw) continue;
      lb.record.set(f.field, s.textInto(row, f.column, f.column + f.width - 1, text));
    }
    if (lb.browse.scrollMode == ScrollMode::MarkSentLotw) {
      // The confirmation-mark run changed SR in the buffer; show what is saved.
      con.locate(row, fieldInfo(Field::SR).column);
      con.print(lb.record.get(Field::SR));
    }
    lb.record.set(Field::COMMENTS, s.textInto(commentRow(lb), 1, kCommentWidth, text));
    lb.record.setSeparators();
    if (!storedAlready(lb, lb.browse.currentRecord)) writeRecord(lb, lb.browse.currentRecord);
    // The award tables are the command pass's to apply, once the key is done.
    if (!lb.tables.suppressUpdate) lb.tables.savedContacts.push_back(lb.record);
  }
  lb.lineModified = false;
}

namespace {

// Leaving the current line: it is saved and painted like the others.
void leaveLine(Logbook& lb) {
  saveCurrentLine(lb);
  lb.console.locate(lb.browse.editRow, 1);
  lb.console.color(palette::kRecords);
  repaintLine(lb);
}

}  // namespace

void moveLineDown(Logbook& lb) {
  if (lb.browse.currentRecord >= recordCount(lb) + 1) return;
  Console& con = lb.console;
  const int column = con.column();
  leaveLine(lb);
  ++lb.browse.editRow;
  ++lb.browse.currentRecord;
  if (lb.browse.editRow > lastRecordRow(lb)) {
    lb.browse.editRow = lastRecordRow(lb);
    scrollPageDown(lb);
  }
  con.locate(lb.browse.editRow, 1);
  showCurrentLine(lb);
  con.locate(lb.browse.editRow, column);
}

void moveLineUp(Logbook& lb) {
  Console& con = lb.console;
  leaveLine(lb);
  --lb.browse.editRow;
  --lb.browse.currentRecord;
  bool top = false;
  if (lb.browse.currentRecord < 1) {
    lb.browse.currentRecord = 1;
    top = true;
  }
  if (lb.browse.editRow < kFirstRecordRow) {
    lb.browse.editRow = kFirstRecordRow;
    if (!top) scrollPageUp(lb);
  }
  con.locate(lb.browse.editRow, 1);
  showCurrentLine(lb);
}

HandlerResult enterLine(Logbook& lb) {
  long long before = recordCount(lb);
  saveCurrentLine(lb);
  HandlerResult result = HandlerResult::Rebuild;
  if (recordCount(lb) == before) {
    moveLineDown(lb);
    result = HandlerResult::Handled;
  }
  lb.console.locate(lb.browse.editRow, 1);
  return result;
}

bool skipSeparator(Logbook& lb) {
  Console& con = lb.console;
  const int row = con.row();
  const int column = con.column();
  if (!isSeparator(lb, row, column)) return false;
  if (column == Screen::kColumns) {
    con.locate(commentRow(lb), 1);
  } else if (row == commentRow(lb) && column == kCommentWidth) {
    return true;
  } else {
    con.locate(row, column + 1);
  }
  return false;
}

bool pastComment(const Logbook& lb) {
  return lb.console.row() == commentRow(lb) && lb.console.column() > kCommentWidth;
}

void moveLeft(Logbook& lb) {
  Console& con = lb.console;
  const int row = con.row();
  int column = con.column();
  if (column <= 1) return;
  --column;
  if (column > 1 && isSeparator(lb, row, column)) --column;
  con.locate(row, column);
}

void deleteChar(Logbook& lb) {
  Console& con = lb.console;
  Screen& s = con.screen();
  CursorKeeper keep(con);
  const int row = keep.row();
  // On a separator there is no field to close up; the separator never moves.
  if (isSeparator(lb, row, keep.column())) return;
  lb.lineModified = true;
  int c = keep.column();
  while (c < Screen::kColumns && !isSeparator(lb, row, c + 1)) {
    con.locate(row, c);
    con.print(std::string(1, static_cast<char>(s.charAt(row, c + 1))));
    ++c;
  }
  con.locate(row, c);
  con.print(" ");
  keep.restore();
}

void fillTimeOff(Logbook& lb) {
  Console& con = lb.console;
  CursorKeeper keep(con);
  const int row = keep.row();
  const int column = keep.column();
  // Not while the cursor may still be in the time or just past it.
  if (row == commentRow(lb) || (column >= fieldInfo(Field::TIME).column && column <= fieldInfo(Field::STATION).column))
    return;
  if (row < kFirstRecordRow || row > lastRecordRow(lb)) return;
  const int time = fieldInfo(Field::TIME).column;
  const int off = fieldInfo(Field::TOFF).column;
  if (con.charAt(row, time) == ' ' || con.charAt(row, off) != ' ') return;
  std::string value = con.screen().textAt(row, time, lastColumn(Field::TIME));
  con.locate(row, off);
  con.print(value);
  keep.restore();
}

bool countryFillDue(const Logbook& lb) {
  const Console& con = lb.console;
  const int row = con.row();
  const int column = con.column();
  const int station = fieldInfo(Field::STATION).column;
  if (row == commentRow(lb) || (column >= station && column <= lastColumn(Field::STATION))) return false;
  if (row < kFirstRecordRow || row > lastRecordRow(lb)) return false;
  return con.charAt(row, station) != ' ' && con.charAt(row, fieldInfo(Field::COUNTRY).column) == ' ';
}

}  // namespace kivo
