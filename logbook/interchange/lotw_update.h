#pragma once
// Menu entry 10: the confirmations of a LOTW download marked in the log.
#include "common/files.h"
#include "logbook/logbook.h"

namespace kivo {

// Shown below the confirmations that matched no contact, until a key is pressed.
inline constexpr const char* kLotwListEnd = "Press any key to return to the log.";

void lotwUpdate(Logbook& lb, TextReader& confirmations);

}  // namespace kivo
