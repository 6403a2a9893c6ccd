#pragma once
// Menu entry 10: the confirmations of a LOTW download marked in the log.
#include "common/files.h"
#include "logbook/logbook.h"

namespace kivo {

void lotwUpdate(Logbook& lb, TextReader& confirmations);

}  // namespace kivo
