#include "logbook/records/log_commands.h"

namespace kivo {

// These commands come with their own dialogues; until then their keys do nothing.
void searchForward(Logbook& lb) { (void)lb; }
void toggleWorkedBefore(Logbook& lb) { (void)lb; }
void changeLogFile(Logbook& lb) { (void)lb; }
void deleteLastRecord(Logbook& lb) { (void)lb; }

}  // namespace kivo
