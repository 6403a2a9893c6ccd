#pragma once
// The records of a log read front to back, for the checks that replay a whole log.
#include <cstdint>
#include <functional>
#include <string>

namespace kivo {

// Calls `each` with the 144 bytes of every record, record 1 first. The count is the
// logbook's (a trailing part of more than half a record counts, filled with 0x00).
// The log is only read: a missing log is runtime error 2, a failed read 3, and so is
// a log in the older line format, which the logbook converts when it opens it.
void forEachRecord(const std::string& log, const std::function<void(const uint8_t*)>& each);

}  // namespace kivo
