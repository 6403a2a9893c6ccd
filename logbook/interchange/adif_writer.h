#pragma once
// The log as ADIF 3.1.4 for any other program or service: ASCII only, one record a
// line, the contact's own fields and the operator's station in the fields ADIF has
// for it. A value that is empty is left out.
#include <string>
#include <string_view>

#include "logbook/logbook.h"
#include "logbook/records/log_record.h"

namespace kivo {

// The header, with the time of writing as "YYYYMMDD HHMMSS".
std::string adifHeader(std::string_view timestamp);

// Appends one record as a line ending in <EOR>.
void appendAdifRecord(std::string& out, const LogRecord& record, const StationSettings& station);

// QSO_DATE for DATE (DD MON YY; years below 50 are 20yy); empty when it is no date.
std::string exportDate(const LogRecord& record);

}  // namespace kivo
