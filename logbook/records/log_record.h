#pragma once
// One contact: 144 bytes of fixed-width text fields, each followed by a 0x00 byte,
// parted by the separator bytes 0xFF 0x00 and ended by CR LF and 0x00.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/files.h"
#include "logbook/records/record_file.h"

namespace kivo {

inline constexpr uint8_t kSeparator = 0xFF;

enum class Field { DATE, FREQ, MODE, PWR, TIME, STATION, SN, RD, TOFF, COUNTRY, SR, COMMENTS };

struct FieldInfo {
  Field field;
  const char* name;
  int offset;  // in the record
  int width;
  int column;  // first column on a record row of the screen and in the old line format
};

// In record order. The comment is edited on its own screen row (columns 1-38) and
// stands in columns 81-118 of the old line format.
inline constexpr std::array<FieldInfo, 12> kFields = {{
    {Field::DATE, "DATE", 0, 9, 1},
    {Field::FREQ, "FREQ", 12, 8, 11},
    {Field::MODE, "MODE", 23, 4, 20},
    {Field::PWR, "PWR", 30, 4, 25},
    {Field::TIME, "TIME", 37, 4, 30},
    {Field::STATION, "STATION", 44, 16, 35},
    {Field::SN, "SN", 63, 3, 52},
    {Field::RD, "RD", 69, 3, 56},
    {Field::TOFF, "TOFF", 75, 4, 60},
    {Field::COUNTRY, "COUNTRY", 82, 12, 65},
    {Field::SR, "SR", 97, 2, 78},
    {Field::COMMENTS, "COMMENTS", 102, 38, 81},
}};

constexpr const FieldInfo& fieldInfo(Field f) { return kFields[static_cast<size_t>(f)]; }

// The record ends after the comment's terminator with CR LF and a 0x00.
inline constexpr size_t kLineEndOffset = 141;
// The last screen column of a field on a record row.
constexpr int lastColumn(Field f) { return fieldInfo(f).column + fieldInfo(f).width - 1; }

// The month abbreviations of DATE (DD MON YY), January first.
inline constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
// 1-12 for a month abbreviation, 0 for anything else.
int monthNumber(std::string_view abbreviation);

struct LogRecord {
  std::array<uint8_t, kRecordSize> bytes{};

  // The field as stored: exactly its width of bytes (0x00 padding included).
  std::string get(Field f) const;
  // Stores a text padded with blanks (or cut) to the field's width.
  void set(Field f, std::string_view text);
  // Stores a text padded with 0x00 bytes, as the importers do.
  void setZeroPadded(Field f, std::string_view text);
  // Sets the eleven separators 0xFF 0x00, the terminators and CR LF 0x00 at the end.
  void setSeparators();
  void clear() { bytes.fill(0); }

  bool operator==(const LogRecord&) const = default;
};

// Builds a record from a line of the old line format (fields at their columns,
// blank-padded when the line is short), separators set.
LogRecord recordFromLine(std::string_view line);

}  // namespace kivo
