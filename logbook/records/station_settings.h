#pragma once
// KIVOLOG.INI: the station's twelve settings, read at start-up and written by the
// LOTW export and the confirmation update.
#include "logbook/logbook.h"

namespace kivo {

// A missing or unreadable file leaves every value empty.
void loadStationSettings(Logbook& lb);
void saveStationSettings(const Logbook& lb);

}  // namespace kivo
