#pragma once
// The browse screen: frame, command loop, page moves, mouse words and exit.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

inline constexpr const char* kBanner = "  KIVOLOG Station Logbook  V2.13";
inline constexpr const char* kCaptions =
    "  DATE     FREQ    MODE PWR  TIME  STATION WORKED  SN  RD  TOFF  COUNTRY     SR";
inline constexpr const char* kCommandWords = "  PGUP  PGDN  HOME  END  REAL  UPDATE  EXIT";
inline constexpr const char* kKeyLegend = "F1=Search F2=Befr F4=Print F5=Reports F6=NewFile ";
inline constexpr const char* kWorkedMessage = "WORKED.CFM has been updated";
inline constexpr const char* kGridMessage = "GRID.SQU has been updated  ";

// The function keys that do something, by their number.
enum class FunctionKey { Search = 1, WorkedBefore = 2, Print = 4, Reports = 5, NewFile = 6 };

// Rows 1-3 and the key legend, in their colours; the cursor is put back where it was.
void drawFrame(Logbook& lb);

// Clears the screen and shows the last page with a new-contact line under it.
void buildScreen(Logbook& lb);

// Runs the browse screen until the user leaves; returns the exit status.
int browseLogbook(Logbook& lb);

// Passes of the command loop until the user leaves, then the exit sequence.
int runCommandLoop(Logbook& lb);

// One pass of the command loop. False when the user left the logbook.
bool commandPass(Logbook& lb);

// Acts on one key as the browse screen does. False when the key leaves the logbook.
bool dispatchKey(Logbook& lb, const std::string& key);
void functionKey(Logbook& lb, FunctionKey key);
void switchRealTime(Logbook& lb);
// The Enter action of the line editor, then the look for a station in the drop file.
void enterAndCheckDropFile(Logbook& lb);

// Waits for a key, polling the mouse between polls of the keyboard; a click may act
// at once and supply a key of its own (kDummyKey when the pass must just end).
std::string waitForInput(Logbook& lb);
// The key that does nothing but ends the wait, so that a pass can finish.
inline const std::string kDummyKey(1, static_cast<char>(0xFF));

void previousPage(Logbook& lb);
void nextPage(Logbook& lb);
void firstPage(Logbook& lb);
void lastPage(Logbook& lb);
// Makes the record on a screen row current, with the cursor at `column`.
void selectRow(Logbook& lb, int row, int column);

// Save the current line, close the log, clear the screen, delete the run marker.
int exitSequence(Logbook& lb);

}  // namespace kivo
