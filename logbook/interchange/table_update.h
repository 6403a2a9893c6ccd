#pragma once
// WORKED.CFM and GRID.SQU brought up to date for a run of new records, by the
// logbook's own update, as the update run of the browse screen does.
#include <string_view>

#include "logbook/logbook.h"

namespace kivo {

// Applies every record of `records` (144 bytes each) in order. A runtime error of
// the update ends it.
void updateTablesFor(Logbook& lb, std::string_view records);

}  // namespace kivo
