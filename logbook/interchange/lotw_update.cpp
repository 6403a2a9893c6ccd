#include "logbook/interchange/lotw_update.h"

namespace kivo {

// Still to come: writes nothing yet.
void lotwUpdate(Logbook&, TextReader&) {}

}  // namespace kivo
