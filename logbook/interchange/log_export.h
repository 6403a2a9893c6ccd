#pragma once
// Writing a log, or a part of it, as an ADIF file for other programs and services.
#include <string>

namespace kivo {

struct ExportRequest {
  std::string log = "LOGMAIN.DAT";
  std::string output;         // empty: standard output
  std::string station = ".";  // the folder of KIVOLOG.INI
  long long from = 1;         // record numbers, inclusive
  long long to = 0;           // 0: the last record
  std::string since;          // YYYYMMDD: only contacts of that day and later
  std::string timestamp;      // CREATED_TIMESTAMP, "YYYYMMDD HHMMSS"
};

// Writes the records; a file goes through a temporary file and is renamed when it is
// complete. Returns the number of records written. Throws ConversionError (log.h).
long long exportLog(const ExportRequest& request);

}  // namespace kivo
