#pragma once
// Menu entry 8: an ADIF file of another program converted to a new log.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

void adifImport(Logbook& lb, OutputFile& out);

}  // namespace kivo
