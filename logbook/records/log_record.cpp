#include "logbook/records/log_record.h"

#include <cstring>

namespace kivo {

int monthNumber(std::string_view abbreviation) {
  if (abbreviation.size() != 3) return 0;
  // Byte by byte, without a call: the whole-log commands ask this of every record.
  for (size_t m = 0; m < kMonthNames.size(); ++m) {
    const std::string_view name = kMonthNames[m];
    if (abbreviation[0] == name[0] && abbreviation[1] == name[1] && abbreviation[2] == name[2])
      return static_cast<int>(m) + 1;
  }
  return 0;
}

std::string LogRecord::get(Field f) const {
  const FieldInfo& info = fieldInfo(f);
  return std::string(reinterpret_cast<const char*>(bytes.data()) + info.offset, static_cast<size_t>(info.width));
}

static void store(LogRecord& r, Field f, std::string_view text, uint8_t pad) {
  const FieldInfo& info = fieldInfo(f);
  size_t width = static_cast<size_t>(info.width);
  size_t n = text.size() < width ? text.size() : width;
  if (n) std::memcpy(r.bytes.data() + info.offset, text.data(), n);
  std::memset(r.bytes.data() + info.offset + n, pad, width - n);
}

void LogRecord::set(Field f, std::string_view text) { store(*this, f, text, ' '); }
void LogRecord::setZeroPadded(Field f, std::string_view text) { store(*this, f, text, 0); }

void LogRecord::setSeparators() {
  for (const FieldInfo& info : kFields) {
    size_t end = static_cast<size_t>(info.offset + info.width);
    bytes[end] = 0x00;  // terminator
    if (info.field != Field::COMMENTS) {
      bytes[end + 1] = kSeparator;
      bytes[end + 2] = 0x00;
    }
  }
  bytes[kLineEndOffset] = '\r';
  bytes[kLineEndOffset + 1] = '\n';
  bytes[kLineEndOffset + 2] = 0x00;
}

LogRecord recordFromLine(std::string_view line) {
  LogRecord r;
  for (const FieldInfo& info : kFields) {
    size_t start = static_cast<size_t>(info.column - 1);
    std::string_view part =
        start < line.size() ? line.substr(start, static_cast<size_t>(info.width)) : std::string_view();
    r.set(info.field, part);
  }
  r.setSeparators();
  return r;
}

}  // namespace kivo
