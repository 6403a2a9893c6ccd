#include "logbook/interchange/band_ranges.h"

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

float frequencyMHz(const LogRecord& record) {
  const FieldInfo& info = fieldInfo(Field::FREQ);
  return static_cast<float>(parseNumber(std::string_view(
      reinterpret_cast<const char*>(record.bytes.data()) + info.offset, static_cast<size_t>(info.width))));
}

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

std::string adifDate(const LogRecord& record) {
  const std::string date = shownText(record, Field::DATE);
  const long long yy = static_cast<long long>(parseNumber(date.substr(7, 2)));
  std::string text = std::to_string(yy < 50 ? 2000 + yy : 1900 + yy);
  const int month = monthNumber(std::string_view(date).substr(3, 3));
  if (month > 0) {
    text += static_cast<char>('0' + month / 10);
    text += static_cast<char>('0' + month % 10);
  }
  return text + date.substr(0, 2);
}

}  // namespace kivo
