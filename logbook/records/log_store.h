#pragma once
// The current log: a file of 144-byte records held open for the whole run. Every
// read goes into the one record buffer of the Logbook and every write comes from it.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

// Opens `name` as the current log, creating an empty one when it does not exist.
// A log in the old line format (byte 10 of its first line is the separator 0xFF)
// is converted to records first; the old text is kept under name + ".org". A file
// that is no log is refused untouched.
void openLog(Logbook& lb, const std::string& name);
// True when `name` is one of the files the logbook keeps or writes for itself (the
// run marker, the settings, the tables, the radio and drop files, TEMPLOG, TEMP.1,
// LPT1.PRN): taken for a log, its contents would be destroyed.
bool isOwnFile(const Logbook& lb, const std::string& name);
// Runtime error 1 naming the file when `name` is one of those.
void refuseOwnFileAsLog(const Logbook& lb, const std::string& name);
// Runtime error 3 when another logbook holds the existing log `name` open.
void refuseLogInUse(const std::string& name);
// The file length / 144, rounded to the nearest whole number (a half to even).
long long recordCount(const Logbook& lb);
// Reads record n into the record buffer; bytes past the end read as 0x00.
void readRecord(Logbook& lb, long long n);
// Writes the record buffer as record n (n = count + 1 appends).
void writeRecord(Logbook& lb, long long n);
// Puts the contacts written since the last sync on the disk.
void syncLog(Logbook& lb);
// Syncs and closes the log.
void closeLog(Logbook& lb);
// Runtime error 3 naming the file when `name` exists, is not empty, is not in the
// older line format, and its first record has neither the separators nor the line
// end of a record (a file of another kind, such as an ADIF file, named as the log).
// An all-zero record counts as a record.
void refuseFileThatIsNoLog(const std::string& name);

// True when the file's first line has the separator byte in its 10th character.
bool isLineFormatLog(const std::string& name);
// Converts a line-format log to records in place; the text is kept as name + ".org".
void convertLineFormatLog(const std::string& name);

}  // namespace kivo
