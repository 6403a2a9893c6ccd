#pragma once
// The page moves of the browse screen: PgUp, PgDn, Home, End and a click on a row.
#include "logbook/logbook.h"

namespace kivo {

void previousPage(Logbook& lb);
void nextPage(Logbook& lb);
void firstPage(Logbook& lb);
void lastPage(Logbook& lb);
// Makes the record on a screen row current, with the cursor at `column`.
void selectRow(Logbook& lb, int row, int column);

}  // namespace kivo
