#pragma once
// Adding the contacts of ADIF and Cabrillo files to a log: each contact becomes the
// record the browse screen would have saved, contacts already in the log (or met
// before in the same run) are left out, records that cannot be read are written to
// FILE.rejected, and WORKED.CFM and GRID.SQU are updated by the logbook's own update.
// The new records are appended after the last one; any failure leaves the log as it
// was.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "logbook/logbook.h"

namespace kivo {

struct ImportRequest {
  std::vector<std::string> inputs;
  std::string log = "LOGMAIN.DAT";  // the log to add to (created when missing)
  std::string newLog;               // when set: a new log to write instead
  std::string station = ".";        // the folder of COUNTRY.DAT, WORKED.CFM, GRID.SQU
  std::string power = "100";        // PWR of a contact that has none
  bool tables = true;               // update WORKED.CFM and GRID.SQU
};

struct FileSummary {
  std::string name;
  long long records = 0, added = 0, duplicates = 0, rejected = 0;
};

// Why an import or an export did not run, with the program's exit status: 2 for a
// request or an input that cannot be used, 3 for a write that failed (or a log or
// station that a running logbook holds).
class ConversionError : public std::runtime_error {
 public:
  ConversionError(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Called now and then while a file is read (records so far), and once at its end.
using ImportProgress = std::function<void(const std::string& file, long long records, bool done)>;

// Runs the import; `lb` is the state object the table update works on (its console
// draws nothing). Throws ConversionError; the log is then as it was.
std::vector<FileSummary> importContacts(const ImportRequest& request, Logbook& lb, const ImportProgress& progress);

// "FILE: N records, A added, D duplicates, R rejected"
std::string summaryLine(const FileSummary& s);

}  // namespace kivo
