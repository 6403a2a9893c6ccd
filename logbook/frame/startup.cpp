#include "logbook/frame/startup.h"

#include "common/fatal.h"
#include "logbook/frame/browse.h"
#include "logbook/records/log_store.h"

namespace kivo {

void writeRunMarker() {
  // An existing marker (left by a run that ended abnormally) is simply replaced.
  AtomicWriter marker(kRunMarker);
  marker.write("RUN\r\n");
  marker.commit();
}

void startLogbook(Logbook& lb) {
  Config& c = lb.config;
  if (c.screenRows == 43 && !lb.console.setRows(43)) fail(kIllegalFunctionCall, "resize console to 43 rows");
  if (lb.console.screen().rows() != c.screenRows) lb.console.setRows(c.screenRows);
  lb.grid = loadGridTable(c.gridFileName);
  lb.countries = loadCountryTable(c.countryFileName);
  lb.logFileName = c.startLog;
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
