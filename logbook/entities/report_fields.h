#pragma once
// What the reports and the band decisions read of a contact: its fields in place, full
// width, and its frequency as their band tables compare it.
#include <string_view>

#include "common/text.h"
#include "logbook/records/log_record.h"

namespace kivo {

// The field's bytes as stored, trailing blanks and 0x00 padding included.
inline std::string_view fieldText(const LogRecord& record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  return {reinterpret_cast<const char*>(record.bytes.data()) + info.offset, static_cast<size_t>(info.width)};
}

// Held in single precision like the band bounds, so that a frequency typed as a bound
// is that bound and lies outside the strict range. Compared as a double, 27.9 would
// lie above 27.9f (27.8999996) and count as 10 m.
inline float frequencyMHz(const LogRecord& record) {
  return static_cast<float>(parseNumber(fieldText(record, Field::FREQ)));
}

// A band of a report's own table; strict on both sides.
struct BandBounds {
  float low;
  float high;
  bool contains(float mhz) const { return mhz > low && mhz < high; }
};

}  // namespace kivo
