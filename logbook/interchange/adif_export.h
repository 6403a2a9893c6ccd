#pragma once
// Menu entry 9: the log, or the part marked for the next upload, as ADIF for LOTW.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

void adifExport(Logbook& lb, OutputFile& out);

}  // namespace kivo
