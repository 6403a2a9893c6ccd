#include "logbook/interchange/adif_export.h"

namespace kivo {

// Still to come: writes nothing yet.
void adifExport(Logbook&, OutputFile&) {}

}  // namespace kivo
