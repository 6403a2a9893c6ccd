#pragma once
// The keys of the browse screen: the two dispatch tables and the editing keys.
#include <string>

#include "logbook/logbook.h"
#include "logbook/records/handler_result.h"

namespace kivo {

// The function keys that do something, by their number.
enum class FunctionKey { Search = 1, WorkedBefore = 2, Print = 4, Reports = 5, NewFile = 6 };

// Acts on one key as the browse screen does.
HandlerResult dispatchKey(Logbook& lb, const std::string& key);
HandlerResult functionKey(Logbook& lb, FunctionKey key);
HandlerResult switchRealTime(Logbook& lb);
// The Enter action of the line editor, then the look for a station in the drop file.
HandlerResult enterAndCheckDropFile(Logbook& lb);

}  // namespace kivo
