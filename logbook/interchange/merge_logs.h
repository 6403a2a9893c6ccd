#pragma once
// Menu entry 5: two logs, each in date order, merged into one.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

void mergeLogs(Logbook& lb, OutputFile& out);

}  // namespace kivo
