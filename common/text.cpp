#include "common/text.h"

#include <charconv>
#include <cmath>

namespace kivo {

namespace {
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
}  // namespace

double parseNumber(std::string_view text) {
  size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The digits with at most one decimal point; converted in one go, so that a
  // value such as 0.3 is the nearest double and not a sum of rounded tenths.
  const size_t start = i;
  bool point = false;
  bool digits = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  if (i - start - (point ? 1 : 0) <= 15) {
    // Up to 15 digits are exact as a whole number, and so is a power of ten up to
    // 1e15: one division of the two is the nearest double, as the conversion below
    // gives, at a fraction of its cost (every FREQ of a log goes through here).
    long long whole = 0;
    size_t decimals = 0;
    for (size_t k = start; k < i; ++k) {
      if (text[k] == '.') {
        decimals = i - k - 1;
      } else {
        whole = whole * 10 + (text[k] - '0');
      }
    }
    if (!point) return static_cast<double>(negative ? -whole : whole);  // "-0" is 0, not -0
    const double value = static_cast<double>(whole) / kPowersOfTen[decimals];
    return negative ? -value : value;
  }
  double value = 0;
  std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
  return negative ? -value : value;
}

long long roundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  double r = std::nearbyint(value);  // the default rounding mode: a half to even
  // Beyond this no whole number is meaningful to the programs; it keeps the cast defined.
  constexpr double kLimit = 9.0e18;
  if (r > kLimit) return static_cast<long long>(kLimit);
  if (r < -kLimit) return static_cast<long long>(-kLimit);
  return static_cast<long long>(r);
}

std::string upperCase(std::string_view text) {
  std::string out(text);
  upperCaseInPlace(out);
  return out;
}

std::string basicNumber(long long value) { return value < 0 ? std::to_string(value) : " " + std::to_string(value); }

std::string blankRecordBreakers(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\0' || c == '\r' || c == '\n' || static_cast<unsigned char>(c) == 0xFF) c = ' ';
  return out;
}

std::string fitWidth(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

}  // namespace kivo
