#pragma once
#include "logbook/logbook.h"

namespace kivo {

// The numbered reports menu (F5).
void runReportsMenu(Logbook& lb);

}  // namespace kivo
