#pragma once
// Menu entries 2 and 3: the contacts that could still bring a new confirmation.
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo {

// receivedOnly: entry 2 (no QSL received); otherwise entry 3 (none sent or received).
void unconfirmedReport(Logbook& lb, OutputFile& out, bool receivedOnly);

}  // namespace kivo
