#pragma once
// Commands on the log as a whole: search (F1), worked-before list (F2), another
// log file (F6), delete of the last record (Alt-D).
#include "logbook/logbook.h"

namespace kivo {

void searchForward(Logbook& lb);
void toggleWorkedBefore(Logbook& lb);
void changeLogFile(Logbook& lb);
void deleteLastRecord(Logbook& lb);

}  // namespace kivo
