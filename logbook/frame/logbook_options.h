#pragma once
// The logbook's own command line (F=, F2= ... NOMOUSE), read into a Config.
#include <string>
#include <vector>

#include "logbook/logbook.h"

namespace kivo {

// The program arguments joined by single blanks and upper-cased, then searched for
// the option keys (F=, NOMOUSE, F2=, F3=, F4=, F6=, S=, TZ=, W=, BM=, AD=, ROW43=).
Config parseCommandLine(const std::vector<std::string>& args);

}  // namespace kivo
