#include "logbook/interchange/log_date_keys.h"

#include <cstdio>
#include <string_view>

#include "common/text.h"

namespace kivo {

namespace {

std::string_view field(const uint8_t* record, Field f, size_t from = 0, size_t length = std::string_view::npos) {
  const FieldInfo& info = fieldInfo(f);
  std::string_view all(reinterpret_cast<const char*>(record) + info.offset, static_cast<size_t>(info.width));
  return all.substr(from, length);
}

// The year "19" followed by the two digits, or "20" followed by them when that is
// below `windowStart`; read as a number, as the text it was built from.
std::string fullYear(std::string_view yy, double windowStart) {
  std::string year = "19";
  year += yy;
  if (parseNumber(year) < windowStart) year[1] = '0', year[0] = '2';
  return year;
}

}  // namespace

namespace {

bool digits(const uint8_t* p, int n, int& value) {
  value = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    value = value * 10 + (p[i] - '0');
  }
  return true;
}

}  // namespace

double sortKey(const uint8_t* record) {
  // Dates as the editor stores them are plain digits: worked out directly, to the
  // same value as the general reading below.
  const uint8_t* date = record + fieldInfo(Field::DATE).offset;
  int yy, dd, hhmm;
  if (digits(date + 7, 2, yy) && digits(date, 2, dd) && digits(record + fieldInfo(Field::TIME).offset, 4, hhmm)) {
    const int year = yy < 45 ? 2000 + yy : 1900 + yy;
    const int month = monthNumber(field(record, Field::DATE, 3, 3));
    return static_cast<double>(((year - 1940) * 450 + (month - 1) * 31 + dd) * 2400LL + hhmm);
  }
  const double year = parseNumber(fullYear(field(record, Field::DATE, 7, 2), 1945));
  const int month = monthNumber(field(record, Field::DATE, 3, 3));
  const double day = parseNumber(field(record, Field::DATE, 0, 2));
  const double time = parseNumber(field(record, Field::TIME));
  return ((year - 1940) * 450 + (month - 1) * 31 + day) * 2400 + time;
}

std::string mergeKey(const LogRecord& record) {
  const uint8_t* bytes = record.bytes.data();
  char month[3];
  std::snprintf(month, sizeof month, "%02d", monthNumber(field(bytes, Field::DATE, 3, 3)));
  std::string key = fullYear(field(bytes, Field::DATE, 7, 2), 1930);
  key += month;
  key += field(bytes, Field::DATE, 0, 2);
  key += field(bytes, Field::TIME);
  return key;
}

}  // namespace kivo
