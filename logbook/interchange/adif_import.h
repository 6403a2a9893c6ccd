#pragma once
// Menu entry 8: an ADIF file of another program converted to a new log.
#include "logbook/records/output_file.h"
#include "logbook/logbook.h"

namespace kivo {

void adifImport(Logbook& lb, OutputFile& out);

}  // namespace kivo
