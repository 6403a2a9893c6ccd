#pragma once
// Menu entry 5: two logs, each in date order, merged into one.
#include "logbook/records/output_file.h"
#include "logbook/logbook.h"

namespace kivo {

void mergeLogs(Logbook& lb, OutputFile& out);

}  // namespace kivo
