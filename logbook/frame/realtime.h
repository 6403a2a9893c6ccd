#pragma once
// Real-time and automatic logging: a new contact filled from the radio's transfer
// file and the clock, or for a station named on the command line or in KIVOLOG.IN.
#include "logbook/logbook.h"

namespace kivo {

// Fills the current new-contact line for a waiting station or in real-time mode.
void autoLogFill(Logbook& lb);
// Looks for the drop file KIVOLOG.IN after a contact was entered.
void checkDropFile(Logbook& lb);

}  // namespace kivo
