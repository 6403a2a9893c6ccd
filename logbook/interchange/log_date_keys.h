#pragma once
// The date and time orders of the sort and the merge. Each reads the two-digit year
// with its own century window, as the two always have.
//
// A month abbreviation that is none of JAN-DEC ranks before January of its year
// (month 0), as it does in the worked table's date rule; so a record with a mangled
// date keeps its place among the records of its year instead of taking the key of
// whichever record came before it.
#include <cstdint>
#include <string>

#include "logbook/records/log_record.h"

namespace kivo {

// The sort key scaled by 2400, so that it is exact: ((Y - 1940) * 450 + (M - 1) * 31
// + D) * 2400 + T, with Y from 1945 to 2044, D the day and T the time (HHMM) as numbers.
double sortKey(const uint8_t* record);

// The merge key: 12 characters YYYYMMDDHHMM, the year from 1930 to 2029, the day and
// time as stored.
std::string mergeKey(const LogRecord& record);

}  // namespace kivo
