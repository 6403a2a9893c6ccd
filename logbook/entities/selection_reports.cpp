#include "logbook/entities/selection_reports.h"

namespace kivo {

// Still to come: writes nothing yet.
void bandSelectionReport(Logbook&, OutputFile&) {}
void generalReport(Logbook&, OutputFile&) {}

}  // namespace kivo
