#pragma once
// Start-up of the logbook: command line, tables, log, run marker, settings.
#include <string>
#include <vector>

#include "logbook/logbook.h"

namespace kivo {

// The program arguments joined by single blanks and upper-cased, then searched for
// the option keys (F=, NOMOUSE, F2=, F3=, F4=, F6=, S=, TZ=, W=, BM=, AD=, ROW43=).
Config parseCommandLine(const std::vector<std::string>& args);

// Everything after the command line: console size, grid and prefix tables, the
// log, the run marker and the station settings. A failure is a runtime error.
void startLogbook(Logbook& lb);

// Start-up, then the browse screen until the user leaves. Returns the exit status.
int runLogbook(Logbook& lb);

void writeRunMarker();

void loadStationSettings(Logbook& lb);
void saveStationSettings(const Logbook& lb);

}  // namespace kivo
