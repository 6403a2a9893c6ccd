// Menu functions still to come: they write nothing yet.
#include "logbook/entities/selection_reports.h"
#include "logbook/entities/unconfirmed_report.h"
#include "logbook/interchange/adif_export.h"
#include "logbook/interchange/adif_import.h"
#include "logbook/interchange/cabrillo_import.h"
#include "logbook/interchange/lotw_update.h"

namespace kivo {

void bandSelectionReport(Logbook&, OutputFile&) {}
void generalReport(Logbook&, OutputFile&) {}
void unconfirmedReport(Logbook&, OutputFile&, bool) {}
void cabrilloImport(Logbook&, OutputFile&) {}
void adifImport(Logbook&, OutputFile&) {}
void adifExport(Logbook&, OutputFile&) {}
void lotwUpdate(Logbook&, TextReader&) {}

}  // namespace kivo
