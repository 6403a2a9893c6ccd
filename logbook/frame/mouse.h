#pragma once
// The mouse on the browse screen: clicks on record rows, command words and the key
// legend, with a held button repeating after half a second.
#include <optional>

#include "logbook/logbook.h"
#include "logbook/records/handler_result.h"

namespace kivo {

// Looks at the mouse once. A click acts at once; what it did is returned when that
// ends the wait for a key (the screen to rebuild, EXIT, UPDATE), nothing when the
// wait goes on (a row chosen, a page moved, or no click).
std::optional<HandlerResult> pollMouse(Logbook& lb);

}  // namespace kivo
