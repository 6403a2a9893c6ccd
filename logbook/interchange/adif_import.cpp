#include "logbook/interchange/adif_import.h"

namespace kivo {

// Still to come: writes nothing yet.
void adifImport(Logbook&, OutputFile&) {}

}  // namespace kivo
