#pragma once
// The browse screen: its frame rows, the command pass and the way out.
#include "logbook/logbook.h"

namespace kivo {

inline constexpr const char* kBanner = "  KIVOLOG Station Logbook  V2.13";
inline constexpr const char* kCaptions =
    "  DATE     FREQ    MODE PWR  TIME  STATION WORKED  SN  RD  TOFF  COUNTRY     SR";
inline constexpr const char* kCommandWords = "  PGUP  PGDN  HOME  END  REAL  UPDATE  EXIT";
inline constexpr const char* kKeyLegend = "F1=Search F2=Befr F4=Print F5=Reports F6=NewFile ";
inline constexpr const char* kWorkedMessage = "WORKED.CFM has been updated";
inline constexpr const char* kGridMessage = "GRID.SQU has been updated  ";

// The row of the command words (PGUP ... EXIT) and "Realtime".
inline constexpr int kCommandWordsRow = 3;
// Between two looks at the keyboard and the mouse while nothing happens.
inline constexpr int kInputPollMs = 10;

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

// What the line editor saved goes into the award tables and, unless a scroll run is
// saving record after record (it syncs once at its end), onto the disk: a saved
// contact is there before the next key is read.
void settleSavedContacts(Logbook& lb);

// Save the current line, close the log, clear the screen, delete the run marker.
int exitSequence(Logbook& lb);

}  // namespace kivo
