#pragma once
// The station the tests, the fuzz targets and the benchmarks run the logbook in: its
// tables in the working folder, and the logbook on a scripted terminal.
#include <string>
#include <vector>

#include "common/console.h"
#include "common/screen.h"
#include "logbook/logbook.h"
#include "logbook/records/log_record.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/temp_dir.h"

namespace kivo::testing {

// COUNTRY.DAT with K and W (USA), DL (GERMANY) and KH6 (HAWAII), WORKED.CFM with
// those three entities and nothing marked, and an empty GRID.SQU.
void writeStationTables();

// A command line split at blanks, as the shell gives it.
std::vector<std::string> splitArgs(const std::string& line);

// The logbook on a scripted terminal, in the working folder as it stands.
struct ScriptedLogbook {
  ScriptedTerminal terminal;
  Console console{terminal};
  Logbook lb{console};
};

// A station in a fresh temporary folder: the tables above, LOGMAIN.DAT holding
// `logBytes`, and the logbook set up as `commandLine` asks.
struct Station {
  TempDir dir;
  ScriptedTerminal terminal;
  Console console{terminal};
  Logbook lb{console};
  int status = -1;
  bool scriptEnded = false;
  bool started = false;

  explicit Station(const std::string& logBytes = "", const std::string& commandLine = "");

  // Runs the logbook until it exits or the script runs out; a later call goes on
  // where the last one stopped, with the keys queued since.
  void run();

  const Screen& screen() const { return console.screen(); }
  std::string row(int r) const { return screen().rowText(r); }
  std::string text(int r, int first, int last) const { return screen().textAt(r, first, last); }
  std::string log() const;
  LogRecord record(long long n) const;
};

}  // namespace kivo::testing
