#include "logbook/interchange/band_ranges.h"

#include <charconv>

#include "common/text.h"

namespace kivo {

namespace {

std::string_view bandIn(float mhz, size_t first, size_t last) {
  const double f = static_cast<double>(mhz);
  for (size_t i = first; i <= last; ++i)
    if (f > BandRanges[i].lower && f < BandRanges[i].upper) return BandRanges[i].name;
  return {};
}

}  // namespace

std::string_view exportBand(float mhz) { return bandIn(mhz, 0, BandRanges.size() - 1); }

std::string_view confirmationBand(float mhz) { return bandIn(mhz, 1, BandRanges.size() - 2); }

std::string shownText(const LogRecord& record, Field f) {
  std::string text = record.get(f);
  for (char& c : text)
    if (c == '\0') c = ' ';
  return text;
}

std::string_view valueText(const LogRecord& record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  std::string_view text(reinterpret_cast<const char*>(record.bytes.data()) + info.offset,
                        static_cast<size_t>(info.width));
  text = text.substr(0, text.find('\0'));
  const size_t end = text.find_last_not_of(' ');
  return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

std::string_view adifDate(const LogRecord& record, char (&buffer)[kAdifDateSize]) {
  char date[9];  // as shown: a 0x00 reads as a blank
  const uint8_t* stored = record.bytes.data() + fieldInfo(Field::DATE).offset;
  for (size_t i = 0; i < sizeof date; ++i) date[i] = stored[i] == 0 ? ' ' : static_cast<char>(stored[i]);
  // A two-character year reads as -9 to 99: the full year always has four digits.
  const bool digits = date[7] >= '0' && date[7] <= '9' && date[8] >= '0' && date[8] <= '9';
  const long long yy = digits ? (date[7] - '0') * 10 + (date[8] - '0')
                              : static_cast<long long>(parseNumber(std::string_view(date + 7, 2)));
  std::to_chars(buffer, buffer + 4, yy < 50 ? 2000 + yy : 1900 + yy);
  size_t size = 4;
  const int month = monthNumber(std::string_view(date + 3, 3));
  if (month > 0) {
    buffer[size++] = static_cast<char>('0' + month / 10);
    buffer[size++] = static_cast<char>('0' + month % 10);
  }
  buffer[size++] = date[0];
  buffer[size++] = date[1];
  return std::string_view(buffer, size);
}

std::string adifDate(const LogRecord& record) {
  char buffer[kAdifDateSize];
  return std::string(adifDate(record, buffer));
}

}  // namespace kivo
