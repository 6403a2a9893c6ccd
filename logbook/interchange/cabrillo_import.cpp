#include "logbook/interchange/cabrillo_import.h"

namespace kivo {

// Still to come: writes nothing yet.
void cabrilloImport(Logbook&, OutputFile&) {}

}  // namespace kivo
