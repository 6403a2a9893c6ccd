#pragma once
// What the ADIF and the Cabrillo import share: the question for the file to read,
// the date of a contact in the log's form, and substrings that never run past the
// text they are taken from.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/files.h"
#include "logbook/logbook.h"

namespace kivo {

// Asks until a file opens for reading. The name is used as typed: the first item of
// the answer, not upper-cased and not remembered. Returns the name that opened.
std::string askImportFile(Logbook& lb, const char* question, TextReader& in);

// Up to `n` bytes of `text` from index `from`; fewer (or none) where the text ends.
std::string_view slice(std::string_view text, size_t from, size_t n);

// DD MON YY from the day, the two characters of the month number and the year. A
// month that is not a whole number from 1 to 12 has no abbreviation: its characters
// stand in the month's place as found, so the date is still there to be mended and
// the sort and merge rank it before January of its year.
std::string importedDate(std::string_view day, std::string_view month, std::string_view year);

// A byte of an ADIF line as its tags are looked for: in upper case, values included.
// Bytes that would break a record or its row on the screen (0x00, the separator
// 0xFF, a lone CR) arrive as blanks, as from every file from outside; they stand in
// no tag, so every tag and position is found as in the line read. Without a branch,
// so that a line is converted many bytes at a time.
constexpr char adifLineByte(char c) {
  const auto u = static_cast<uint8_t>(c);
  const bool blank = (u == 0) | (u == '\r') | (u == 0xFF);
  const bool lower = static_cast<uint8_t>(u - 'a') < 26;
  return static_cast<char>(blank ? ' ' : u - (lower ? 32 : 0));
}

}  // namespace kivo
