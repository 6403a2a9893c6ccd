#pragma once
// Keeping WORKED.CFM and GRID.SQU up to date as contacts are saved or confirmed.
#include <string_view>

#include "logbook/entities/worked_rules.h"
#include "logbook/logbook.h"

namespace kivo {

// Applies the contact in the record buffer: marks its entity's cells in WORKED.CFM
// (each change a same-length overwrite of one line in place) and, for a VHF contact
// with "#" and a square in its comment, adds or confirms the square in GRID.SQU.
// Sets workedUpdated and gridUpdated. A contact without a known entity touches
// nothing, flags included.
void updateWorkedTables(Logbook& lb);

// Applies, in their order, the contacts the line editor saved since the last call,
// as updateWorkedTables applies the record buffer (which is left as it was).
void applySavedContacts(Logbook& lb);

// Between these two, WORKED.CFM is read once, at the first update, and every update
// patches that copy as well as the changed line on disk: for the runs that save
// record after record. Nobody else writes the table meanwhile.
void beginWorkedBatch(Logbook& lb);
// Syncs what the run wrote into WORKED.CFM, then ends the run.
void endWorkedBatch(Logbook& lb);
// Syncs what the run wrote so far (a run that ends in a question or a list syncs
// before it waits for the answer).
void syncWorkedBatch(Logbook& lb);

// True when the contact in `record` counts for award category k (1-kCategoryCount).
bool categoryApplies(const LogRecord& record, int k);

// Moves one mark cell of the contact's entity forward by the contact's QSL-received
// mark: blank -> "\" -> "X" or "L" -> "B"; "C" and "B" are final. Sets
// workedUpdated when the cell changed.
void applyMark(Logbook& lb, char& cell);

// Adds or confirms the square named after the "#" of the comment and, when the
// table changed, rewrites GRID.SQU whole. Sets gridUpdated.
void updateGridTable(Logbook& lb);

// datedBeforeAntillesSplit, the date rule of applyMark, comes with worked_rules.h.

}  // namespace kivo
