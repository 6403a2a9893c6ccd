#pragma once
// The entity of a new callsign, filled in on the edit row as the cursor leaves it.
#include "logbook/logbook.h"

namespace kivo {

// Looks up and shows the entity of the callsign when countryFillDue holds, then
// moves the cursor on to the comment (after the markers of BM= and AD=).
void fillCountry(Logbook& lb);

}  // namespace kivo
