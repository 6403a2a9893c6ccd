#include "logbook/records/log_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

// Records are copied in pieces of this size, so that a large log is never held whole.
constexpr size_t kCopyChunk = 1 << 20;

// Writes the records 1..last of the current log for which `keep` holds to `name`,
// which is replaced whole when all of them are written. The log is read in large
// blocks; the record buffer ends holding the last record read, as if each had been
// read into it.
template <typename Keep>
void copyRecords(Logbook& lb, const std::string& name, long long last, Keep keep) {
  AtomicWriter out(name);
  std::string chunk;
  RecordScanner scan(lb.log, 1, last);
  const uint8_t* bytes = nullptr;
  const uint8_t* lastRead = nullptr;
  while ((bytes = scan.next()) != nullptr) {
    lastRead = bytes;
    if (!keep(bytes)) continue;
    chunk.append(reinterpret_cast<const char*>(bytes), kRecordSize);
    if (chunk.size() >= kCopyChunk) {
      out.write(chunk);
      chunk.clear();
    }
  }
  if (lastRead) std::memcpy(lb.record.bytes.data(), lastRead, kRecordSize);
  out.write(chunk);
  out.commit();
}

// A field of a record as read from the log.
std::string_view fieldOf(const uint8_t* record, Field f) {
  return {reinterpret_cast<const char*>(record) + fieldInfo(f).offset, static_cast<size_t>(fieldInfo(f).width)};
}

// Puts the shortened copy in the log's place in one step, so that there is a
// complete log under its name at every moment. A log that is a symbolic link stays
// one: the file it leads to is replaced.
void replaceLog(const std::string& copy, const std::string& logName) {
  const std::string from = resolveExisting(copy);
  const std::string log = realPath(logName);
  if (std::rename(from.c_str(), log.c_str()) == 0) {
    syncFolder(folderOf(log));
    return;
  }
  if (errno != EXDEV) fail(kFileIoError, std::string("rename ") + copy + " to " + log);
  // The log lives on another file system than the working folder.
  writeFileAtomically(log, readWholeFile(from));
  removeFile(from);
}

void enterWorkedBefore(Logbook& lb) {
  Console& con = lb.console;
  con.color(palette::kRecords);
  con.cls();
  con.print(kWorkedBeforePrompt);
  const std::string answer = readAnswer(lb);
  if (answer.empty()) return;
  // The list replaces TEMPLOG; when that is the log itself, the log would be lost.
  if (sameFile(lb.logFileName, kWorkedBeforeFile)) return;

  copyRecords(lb, kWorkedBeforeFile, recordCount(lb), [&](const uint8_t* r) {
    // A prefix of the callsign: the call also finds its portable forms.
    return fieldOf(r, Field::STATION).substr(0, answer.size()) == answer;
  });
  saveCurrentLine(lb);

  clearDialogueRows(lb);
  lb.savedLogName = lb.logFileName;
  lb.logFileName = kWorkedBeforeFile;
  // The log stays open and locked under the list: a second logbook must not add to it.
  lb.log.sync();
  lb.heldLog = std::move(lb.log);
  openLog(lb, kWorkedBeforeFile);
  lb.workedBeforeMode = true;
}

void leaveWorkedBefore(Logbook& lb) {
  lb.workedBeforeMode = false;
  clearDialogueRows(lb);
  lb.logFileName = lb.savedLogName;
  openLog(lb, lb.logFileName);
}

}  // namespace

void clearDialogueRows(Logbook& lb) {
  Console& con = lb.console;
  con.color(palette::kDialogue);
  con.locate(1, 1);
  con.print(std::string(Screen::kColumns, ' '));
  con.locate(2, 1);
  con.print(std::string(Screen::kColumns, ' '));
  con.locate(1, 1);
}

std::string readAnswer(Logbook& lb) {
  Screen& s = lb.console.screen();
  // The rows below the dialogue are the edit buffer: an answer echoed past row 2
  // must not change what is saved later.
  std::vector<Cell> below;
  for (int r = 3; r <= s.rows(); ++r)
    for (int c = 1; c <= Screen::kColumns; ++c) below.push_back(s.cellAt(r, c));
  const int fg = s.foreground();
  const int bg = s.background();
  std::string answer = upperCase(lb.console.answerItem());
  size_t i = 0;
  for (int r = 3; r <= s.rows(); ++r) {
    for (int c = 1; c <= Screen::kColumns; ++c, ++i) {
      if (s.cellAt(r, c) == below[i]) continue;
      s.color(below[i].fg, below[i].bg);
      s.setChar(r, c, below[i].ch);
    }
  }
  s.color(fg, bg);
  return answer;
}

std::optional<Field> searchFieldAt(const Logbook& lb, int row, int column) {
  if (row == commentRow(lb)) return Field::COMMENTS;
  for (const FieldInfo& f : kFields) {
    if (f.field == Field::COMMENTS) continue;
    if (column >= f.column && column < f.column + f.width) return f.field;
  }
  return std::nullopt;
}

void searchForward(Logbook& lb) {
  Console& con = lb.console;
  BrowseState& b = lb.browse;
  saveCurrentLine(lb);
  const CursorKeeper from(con);
  const int row = from.row();
  const int column = from.column();

  clearDialogueRows(lb);
  con.print(kSearchTitle);
  con.locate(2, 1);
  con.print(kSearchPrompt);
  const std::string answer = readAnswer(lb);

  bool found = false;
  if (!answer.empty()) {
    std::string text = answer;
    if (answer == "=") {
      text = lb.lastSearchText;
    } else {
      lb.lastSearchText = answer;
    }
    const std::optional<Field> field = searchFieldAt(lb, row, column);
    const long long count = recordCount(lb);
    RecordScanner scan(lb.log, b.currentRecord + 1, field && !text.empty() ? count : 0);
    while (const uint8_t* r = scan.next()) {
      if (fieldOf(r, *field).find(text) == std::string_view::npos) continue;
      const long long n = scan.number();
      b.firstShown = n;
      b.lastShown = std::min<long long>(n + windowRows(lb) - 1, count);
      b.currentRecord = n;
      b.editRow = kFirstRecordRow;
      drawPage(lb);
      con.locate(kFirstRecordRow, 1);
      showCurrentLine(lb);
      found = true;
      break;
    }
  }

  readRecord(lb, b.currentRecord);
  if (!found || row == commentRow(lb)) {
    con.locate(row, column);
  } else {
    con.locate(kFirstRecordRow, column);
  }
}

HandlerResult toggleWorkedBefore(Logbook& lb) {
  if (lb.workedBeforeMode) {
    leaveWorkedBefore(lb);
  } else {
    enterWorkedBefore(lb);
  }
  // The list's question clears the screen: whatever the answer, it is built anew.
  return HandlerResult::Rebuild;
}

HandlerResult changeLogFile(Logbook& lb) {
  Console& con = lb.console;
  saveCurrentLine(lb);
  CursorKeeper from(con);
  clearDialogueRows(lb);
  con.print(kNewFilePrompt);
  // A blank after a file name is a slip of the thumb, not part of the name.
  std::string answer = readAnswer(lb);
  answer.erase(answer.find_last_not_of(" \t") + 1);
  if (answer.empty()) {
    from.restore();
    return HandlerResult::Handled;
  }
  refuseOwnFileAsLog(lb, answer);
  lb.logFileName = answer;
  openLog(lb, answer);
  return HandlerResult::Rebuild;
}

HandlerResult deleteLastRecord(Logbook& lb) {
  Console& con = lb.console;
  CursorKeeper from(con);
  clearDialogueRows(lb);
  con.print(kDeletePrompt);
  if (readAnswer(lb) != "Y") {
    from.restore();
    return HandlerResult::Handled;
  }
  // What is on the edit row is saved first, so that a contact just typed can be the
  // one removed; it must not count in the award tables.
  lb.tables.suppressUpdate = true;
  saveCurrentLine(lb);
  lb.tables.suppressUpdate = false;

  const long long count = recordCount(lb);
  if (count > 0) {
    copyRecords(lb, kDeleteCopyFile, count - 1, [](const uint8_t*) { return true; });
    // The name the log was opened under, found the way it was found then.
    const std::string log = resolveExisting(lb.logFileName);
    lb.log.close();
    replaceLog(kDeleteCopyFile, log);
    openLog(lb, lb.logFileName);
  }
  return HandlerResult::Rebuild;
}

}  // namespace kivo
