#pragma once
// The line editor: the current record is edited in place on its screen row (the
// screen is the edit buffer) and read back cell by cell when the cursor leaves it.
#include "logbook/logbook.h"
#include "logbook/records/handler_result.h"

namespace kivo {

// The page: rows 1-3 are the frame, then the record rows, the comment row and the
// key legend on the last row.
inline constexpr int kFirstRecordRow = 4;
inline int lastRecordRow(const Logbook& lb) { return lb.config.screenRows - 2; }
inline int commentRow(const Logbook& lb) { return lb.config.screenRows - 1; }
// The record rows of the window.
inline int windowRows(const Logbook& lb) { return lastRecordRow(lb) - kFirstRecordRow + 1; }
// A page move keeps one row of the page before in view.
inline int pageStep(const Logbook& lb) { return windowRows(lb) - 1; }
// The first record of the last page, which shows record `last` above the
// new-contact line on the last record row but one.
inline long long firstOfLastPage(const Logbook& lb, long long last) { return last - windowRows(lb) + 2; }
inline constexpr int kCommentWidth = 38;
inline constexpr int kCommentCaptionColumn = 40;

// The 80 cells of a record row: every field at its full width, each followed by
// the separator byte.
std::string recordRowText(const LogRecord& record);
// The row of a new contact: blank fields and separators.
std::string emptyRowText();

// The editor only changes the screen and the log; the frame rows, the drop file and
// the real-time fill are the command loop's, which it calls after these steps.
void drawPage(Logbook& lb);
void scrollPageUp(Logbook& lb);
void scrollPageDown(Logbook& lb);
// Paints the current line as current and shows its comment (and, on the
// new-contact line, its defaults). The caller redraws the frame.
void showCurrentLine(Logbook& lb);
void repaintLine(Logbook& lb);
// Writes the line when it was changed and keeps the saved contact for the award
// tables, which the command pass applies once the key is done.
void saveCurrentLine(Logbook& lb);
void moveLineDown(Logbook& lb);
void moveLineUp(Logbook& lb);
// Saves the line; an appended contact asks for a rebuild, otherwise the cursor moves
// down. The cursor ends at column 1 of the edit row.
HandlerResult enterLine(Logbook& lb);
// Steps off a separator cell to the right. True when the step reached the end of the
// comment, where the line is to be entered.
bool skipSeparator(Logbook& lb);
// True when the cursor stands on the comment row beyond its last column.
bool pastComment(const Logbook& lb);
void moveLeft(Logbook& lb);
void deleteChar(Logbook& lb);
void newLineDefaults(Logbook& lb);
void fillTimeOff(Logbook& lb);
// True when the cursor has left a new callsign whose entity is still blank (the
// entities fill it in).
bool countryFillDue(const Logbook& lb);

}  // namespace kivo
