#pragma once
// Printing the log (F4). The printer is the file LPT1.PRN in the working folder,
// written anew by each print with exactly the bytes a printer on LPT1: received.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

inline constexpr const char* kPrinterFile = "LPT1.PRN";
inline constexpr const char* kPrintHeader =
    "  DATE     FREQ    MODE PWR  TIME  STATION WORKED  SN  RD  TOFF  COUNTRY     SR  COMMENTS";
inline constexpr int kLinesPerPage = 50;

// The printed line of a contact: every field at its full width as stored, one blank
// between fields, CR LF at the end.
std::string printLine(const LogRecord& record);
void appendPrintLine(std::string& out, const uint8_t* record);

// Prints the log from the current line to the end (F4). The line on the screen is
// not saved first: the printout shows the records as stored.
void printLog(Logbook& lb);

}  // namespace kivo
