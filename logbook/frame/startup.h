#pragma once
// Start-up of the logbook: tables, log, locks, run marker, settings.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

// Everything after the command line: console size, grid and prefix tables, the
// log, the run marker and the station settings. A failure is a runtime error.
void startLogbook(Logbook& lb);

// Start-up, then the browse screen until the user leaves. Returns the exit status.
int runLogbook(Logbook& lb);

void writeRunMarker();

}  // namespace kivo
