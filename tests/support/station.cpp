#include "tests/support/station.h"

#include <utility>

#include "common/text.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"

namespace kivo::testing {

void writeStationTables() {
  std::string table = "PREFIX TABLE\r\n----\r\n";
  for (auto [prefix, name] : {std::pair{"KH6", "HAWAII"}, {"K", "USA"}, {"W", "USA"}, {"DL", "GERMANY"}})
    table += fitWidth(prefix, 11) + name + "\r\n";
  writeFile("COUNTRY.DAT", table);
  writeFile("GRID.SQU", "");
  writeFile("WORKED.CFM", "WORKED TABLE\r\n" + entityLine("K", "USA") + "\r\n" + entityLine("DL", "GERMANY") + "\r\n" +
                              entityLine("KH6", "HAWAII") + "\r\nDELETED\r\nEND\r\n");
}

std::vector<std::string> splitArgs(const std::string& line) {
  std::vector<std::string> args;
  size_t start = 0;
  while (start < line.size()) {
    size_t blank = line.find(' ', start);
    if (blank == std::string::npos) blank = line.size();
    if (blank > start) args.push_back(line.substr(start, blank - start));
    start = blank + 1;
  }
  return args;
}

Station::Station(const std::string& logBytes, const std::string& commandLine) {
  writeStationTables();
  writeFile("LOGMAIN.DAT", logBytes);
  lb.config = parseCommandLine(splitArgs(commandLine));
}

void Station::run() {
  scriptEnded = false;
  try {
    if (!started) {
      started = true;
      status = runLogbook(lb);
    } else {
      status = runCommandLoop(lb);
    }
  } catch (const ScriptEnded&) {
    scriptEnded = true;
  }
}

std::string Station::log() const { return readFile("LOGMAIN.DAT"); }

LogRecord Station::record(long long n) const { return recordAt(log(), n); }

}  // namespace kivo::testing
