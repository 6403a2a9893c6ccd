#pragma once
// The operator's own station as KIVOLOG.INI holds it (twelve quoted values), read
// for the ADIF export without the logbook's start-up around it.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

// The values of the file; all empty when it is missing or cannot be read.
StationSettings readStationSettings(const std::string& path);

}  // namespace kivo
