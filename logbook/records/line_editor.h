#pragma once
// The line editor: the current record is edited in place on its screen row (the
// screen is the edit buffer) and read back cell by cell when the cursor leaves it.
#include "logbook/logbook.h"

namespace kivo {

inline constexpr int kFirstRecordRow = 4;
inline int lastRecordRow(const Logbook& lb) { return lb.config.screenRows - 2; }
inline int commentRow(const Logbook& lb) { return lb.config.screenRows - 1; }
inline constexpr int kCommentWidth = 38;

// The 80 cells of a record row: every field at its full width, each followed by
// the separator byte.
std::string recordRowText(const LogRecord& record);
// The row of a new contact: blank fields and separators.
std::string emptyRowText();

void drawPage(Logbook& lb);
void scrollPageUp(Logbook& lb);
void scrollPageDown(Logbook& lb);
void showCurrentLine(Logbook& lb);
void repaintLine(Logbook& lb);
void saveCurrentLine(Logbook& lb);
void moveLineDown(Logbook& lb);
void moveLineUp(Logbook& lb);
void enterLine(Logbook& lb);
void skipSeparator(Logbook& lb);
void moveLeft(Logbook& lb);
void deleteChar(Logbook& lb);
void newLineDefaults(Logbook& lb);
void fillTimeOff(Logbook& lb);
void fillCountry(Logbook& lb);

}  // namespace kivo
