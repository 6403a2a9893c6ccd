#pragma once
// KIVOLOG.INI: the station's twelve settings, read at start-up and written by the
// LOTW export and the confirmation update.
#include "logbook/logbook.h"

namespace kivo {

// The values of a settings file; all empty when it is missing or cannot be read. A
// file larger than any settings file is runtime error 3.
StationSettings readStationSettings(const std::string& path);
// KIVOLOG.INI into the state object, as readStationSettings reads it.
void loadStationSettings(Logbook& lb);
void saveStationSettings(const Logbook& lb);

}  // namespace kivo
