#include "logbook/interchange/reports_menu.h"

namespace kivo {

// The reports menu comes with the conversions; until then F5 only rebuilds the screen.
void runReportsMenu(Logbook& lb) { (void)lb; }

}  // namespace kivo
