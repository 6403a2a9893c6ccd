#include "logbook/frame/startup.h"

#include <algorithm>
#include <filesystem>

#include "common/fatal.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/frame/browse.h"
#include "logbook/records/log_store.h"
#include "logbook/records/station_settings.h"

namespace kivo {

void writeRunMarker() {
  // An existing marker (left by a run that ended abnormally) is simply replaced.
  AtomicWriter marker(kRunMarker);
  marker.write("RUN\r\n");
  marker.commit();
}

namespace {

// The worked and grid tables are rewritten from what the logbook read at its start:
// a second logbook on the same tables would undo the first one's marks. The folders
// that hold them are ours for the run.
void lockTables(Logbook& lb) {
  TableFolderLocks held = lockTableFolders({lb.config.workedFileName, lb.config.gridFileName});
  if (!held.busy.empty())
    fail(kFileIoError, "lock " + held.busy + ": another logbook is using the tables of this station");
  lb.tableLocks = std::move(held.locks);
}

// Temporary files that killed rewrites left in the working folder, beside the
// tables and beside the log; those another program is still writing are locked and
// stay.
void removeOurStaleTemporaries(const Logbook& lb) {
  const Config& c = lb.config;
  std::vector<std::string> folders{"."};
  for (const std::string* file : {&c.workedFileName, &c.gridFileName, &c.countryFileName, &lb.logFileName}) {
    const std::string folder = folderOf(realPath(*file));
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
  for (const std::string& folder : folders) removeStaleTemporaries(folder);
}

}  // namespace

void startLogbook(Logbook& lb) {
  Config& c = lb.config;
  if (c.screenRows == 43 && !lb.console.setRows(43)) fail(kIllegalFunctionCall, "resize console to 43 rows");
  if (lb.console.screen().rows() != c.screenRows) lb.console.setRows(c.screenRows);
  *lb.grid = loadGridTable(c.gridFileName);
  *lb.countries = loadCountryTable(c.countryFileName);
  lb.logFileName = c.startLog;
  // A refused start leaves nothing behind: not even a new empty log.
  refuseOwnFileAsLog(lb, lb.logFileName);
  refuseLogInUse(lb.logFileName);
  lockTables(lb);
  removeOurStaleTemporaries(lb);
  openLog(lb, lb.logFileName);
  lb.autoLog = {!c.stationCall.empty(), c.stationCall, c.stationText};
  lb.record.clear();
  lb.record.setSeparators();
  writeRunMarker();
  loadStationSettings(lb);
}

int runLogbook(Logbook& lb) {
  startLogbook(lb);
  return browseLogbook(lb);
}

}  // namespace kivo
