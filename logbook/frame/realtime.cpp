#include "logbook/frame/realtime.h"

namespace kivo {

// Real-time logging arrives with the radio transfer file support; until then a
// waiting station and the real-time mode leave the line as the user types it.
void autoLogFill(Logbook& lb) { (void)lb; }
void checkDropFile(Logbook& lb) { (void)lb; }

}  // namespace kivo
