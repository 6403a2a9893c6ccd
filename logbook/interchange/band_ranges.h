#pragma once
// The frequency-to-ADIF-band table of the LOTW export and the confirmation update,
// and the few field readings the two share.
#include <array>
#include <string>
#include <string_view>

#include "logbook/entities/report_fields.h"  // frequencyMHz, FREQ as the band decisions read it
#include "logbook/records/log_record.h"

namespace kivo {

struct BandRange {
  std::string_view name;
  double lower;  // exclusive
  double upper;  // exclusive
};

// In the order in which they are tested.
inline constexpr std::array<BandRange, 14> BandRanges = {{
    {"630M", 0.47, 0.48},
    {"160M", 1.79, 2.0},
    {"80M", 3.49, 4.0},
    {"60M", 5.3, 5.41},
    {"40M", 6.9, 7.3},
    {"30M", 10.09, 10.15},
    {"20M", 13.9, 14.35},
    {"17M", 18.0, 18.17},
    {"15M", 20.9, 21.45},
    {"12M", 24.88, 24.99},
    {"10M", 27.9, 29.7},
    {"6M", 49.9, 54.0},
    {"2M", 143.9, 148.0},
    {"70CM", 420.0, 450.0},
}};

// The band of a frequency in MHz, empty when no row holds it. The frequency is held
// in single precision, as FREQ always was, and widened for the comparison: a value
// typed as a bound (14.35) has no band, while 10.09 and 5.41 fall inside theirs.
std::string_view exportBand(float mhz);
// The same over the twelve rows that LOTW confirmations are matched on (160M to 2M).
std::string_view confirmationBand(float mhz);

// A field as the screen shows it: a 0x00 of an importer's padding reads as a blank.
std::string shownText(const LogRecord& record, Field f);
// A field "without trailing blanks": the text ends at the first 0x00 (the importers
// pad with them) and the blanks after it are cut. A view into the record.
std::string_view valueText(const LogRecord& record, Field f);
// DATE (DD MON YY) as YYYYMMDD, the year below 50 in 2000-2049 and otherwise in
// 1900-1999. An unknown month leaves its two digits out.
std::string adifDate(const LogRecord& record);
// The same in `buffer`, without a string for every record of a log; shorter than the
// buffer only when the month is unknown.
inline constexpr size_t kAdifDateSize = 8;
std::string_view adifDate(const LogRecord& record, char (&buffer)[kAdifDateSize]);

}  // namespace kivo
