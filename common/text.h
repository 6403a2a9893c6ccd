#pragma once
// Text helpers: everything in the logbook is bytes of code page 437.
#include <string>
#include <string_view>

namespace kivo {

// The leading number of a text, as the old BASIC VAL read it: blanks and tabs in
// front are skipped, then an optional sign, digits with at most one decimal point.
// Anything else ends the number; a text that starts with no number gives 0.
// A 0x00 byte ends the text (fields padded with zeros read as their leading part).
double parseNumber(std::string_view text);

// Rounds to the nearest whole number, a half to the even neighbour.
long long roundHalfEven(double value);

// ASCII letters to upper case; every other byte is left alone. Inline, as the
// conversions put every byte of a file through it.
constexpr char upperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string upperCase(std::string_view text);
// The same in place, without a copy. Sixteen bytes a step: a loop of fixed length is
// one the compiler turns into vector instructions.
inline void upperCaseInPlace(std::string& text) {
  char* const bytes = text.data();
  size_t i = 0;
  for (; i + 16 <= text.size(); i += 16)
    for (size_t k = i; k < i + 16; ++k) bytes[k] = upperChar(bytes[k]);
  for (; i < text.size(); ++i) bytes[i] = upperChar(bytes[i]);
}

// A number as the console prints it: a blank for the sign of a value that is not
// negative, then the digits ("-" for a negative one), no trailing blank.
std::string basicNumber(long long value);

// The bytes that would break a record or its row on the screen (0x00, the separator
// 0xFF, CR and LF) turned into blanks, for texts that come from outside.
std::string blankRecordBreakers(std::string_view text);

// Pads with blanks or cuts to exactly `width` bytes.
std::string fitWidth(std::string_view text, size_t width);

}  // namespace kivo
