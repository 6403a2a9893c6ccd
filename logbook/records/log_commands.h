#pragma once
// Commands on the log as a whole: search (F1), worked-before list (F2), another
// log file (F6), delete of the last record (Alt-D).
#include <optional>
#include <string>

#include "logbook/logbook.h"
#include "logbook/records/handler_result.h"

namespace kivo {

inline constexpr const char* kWorkedBeforeFile = "TEMPLOG";
inline constexpr const char* kDeleteCopyFile = "TEMP.1";

inline constexpr const char* kSearchTitle = "Search from the current field of the current record to end";
inline constexpr const char* kSearchPrompt = "Enter search characters ('=' to use last value) ";
inline constexpr const char* kWorkedBeforePrompt = "Call Sign to Search for Worked Before ";
inline constexpr const char* kNewFilePrompt = "Enter new file name ";
inline constexpr const char* kDeletePrompt = "Do you want to delete the last line of the file?(y,n) ";

// The commands draw their dialogue on rows 1 and 2; the caller redraws the frame.
void searchForward(Logbook& lb);
HandlerResult toggleWorkedBefore(Logbook& lb);
HandlerResult changeLogFile(Logbook& lb);
HandlerResult deleteLastRecord(Logbook& lb);

// The field that a search from a screen cell looks in: the comment row searches
// COMMENTS, a record row the field under the column; none on a separator column.
std::optional<Field> searchFieldAt(const Logbook& lb, int row, int column);

// The dialogue rows: rows 1 and 2 cleared to red on white, the cursor at row 1.
void clearDialogueRows(Logbook& lb);
// The answer typed at the cursor, in upper case: leading blanks skipped, up to the
// first comma, blanks at its end kept. Whatever the
// echo of a long answer ran over below row 2 is put back as it was.
std::string readAnswer(Logbook& lb);

}  // namespace kivo
