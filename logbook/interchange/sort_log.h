#pragma once
// Menu entry 11: the log sorted by date and time into a new file.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

// Records in order of the sort key; equal keys come out in reverse record order.
void sortLog(Logbook& lb, OutputFile& out);

}  // namespace kivo
