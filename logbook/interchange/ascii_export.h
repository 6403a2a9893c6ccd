#pragma once
// Menu entry 7: the log from the current line as a text listing paged for a printer.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

// Caption, 118-character lines and a form-feed line after every 50 records.
void asciiExport(Logbook& lb, OutputFile& out);

}  // namespace kivo
