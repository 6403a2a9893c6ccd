#pragma once
#include "logbook/logbook.h"

namespace kivo {

// Prints the log from the current line (F4).
void printLog(Logbook& lb);

}  // namespace kivo
