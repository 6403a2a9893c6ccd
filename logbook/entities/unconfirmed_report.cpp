#include "logbook/entities/unconfirmed_report.h"

namespace kivo {

// Still to come: writes nothing yet.
void unconfirmedReport(Logbook&, OutputFile&, bool) {}

}  // namespace kivo
