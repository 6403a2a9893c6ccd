#pragma once
// Menu entries 1 and 4: the contacts of chosen bands, or of a string of field keys,
// copied into a new log.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

void bandSelectionReport(Logbook& lb, OutputFile& out);
void generalReport(Logbook& lb, OutputFile& out);

}  // namespace kivo
