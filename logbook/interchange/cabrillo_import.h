#pragma once
// Menu entry 6: the QSO lines of a Cabrillo contest log converted to a new log.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

void cabrilloImport(Logbook& lb, OutputFile& out);

}  // namespace kivo
