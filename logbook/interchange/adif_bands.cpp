#include "logbook/interchange/adif_bands.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "logbook/interchange/adif_reader.h"

namespace kivo {

namespace {

constexpr std::array<AdifBand, 33> kBands = {{
    {"2190M", 0.1357, 0.1378, "0.1365"},
    {"630M", 0.472, 0.479, "0.475"},
    {"560M", 0.501, 0.504, "0.502"},
    {"160M", 1.8, 2.0, "1.85"},
    {"80M", 3.5, 4.0, "3.7"},
    {"60M", 5.06, 5.45, "5.35"},
    {"40M", 7.0, 7.3, "7.1"},
    {"30M", 10.1, 10.15, "10.12"},
    {"20M", 14.0, 14.35, "14.15"},
    {"17M", 18.068, 18.168, "18.1"},
    {"15M", 21.0, 21.45, "21.2"},
    {"12M", 24.89, 24.99, "24.94"},
    {"10M", 28.0, 29.7, "28.5"},
    {"8M", 40.0, 45.0, "40.5"},
    {"6M", 50.0, 54.0, "50.15"},
    {"5M", 54.000001, 69.9, "60"},
    {"4M", 70.0, 71.0, "70.2"},
    {"2M", 144.0, 148.0, "145"},
    {"1.25M", 222.0, 225.0, "223.5"},
    {"70CM", 420.0, 450.0, "432"},
    {"33CM", 902.0, 928.0, "915"},
    {"23CM", 1240.0, 1300.0, "1296"},
    {"13CM", 2300.0, 2450.0, "2320"},
    {"9CM", 3300.0, 3500.0, "3400"},
    {"6CM", 5650.0, 5925.0, "5760"},
    {"3CM", 10000.0, 10500.0, "10368"},
    {"1.25CM", 24000.0, 24250.0, "24048"},
    {"6MM", 47000.0, 47200.0, "47088"},
    {"4MM", 75500.0, 81000.0, "76032"},
    {"2.5MM", 119980.0, 123000.0, "122250"},
    {"2MM", 134000.0, 149000.0, "134928"},
    {"1MM", 241000.0, 250000.0, "241920"},
    {"SUBMM", 300000.0, 7500000.0, "300000"},
}};

constexpr size_t kFieldWidth = 8;
constexpr int kMostDecimals = 5;

bool plainDecimal(std::string_view text, size_t& point) {
  point = text.find('.');
  size_t digits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == point) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    ++digits;
  }
  return digits > 0;
}

// Whether a plain decimal is above 0. A text of the field's width is some digit
// other than 0; a longer one is read as a double, which a text beyond its range
// leaves at 0.
bool aboveZero(std::string_view text) {
  if (text.size() <= kFieldWidth) return std::any_of(text.begin(), text.end(), [](char c) { return c > '0'; });
  double mhz = 0;
  std::from_chars(text.data(), text.data() + text.size(), mhz);
  return mhz > 0;
}

}  // namespace

// Values may carry the blanks and line ends that a writer counted into their length.
static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
static std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

const AdifBand* bandNamed(std::string_view name) {
  name = trimmed(name);
  for (const AdifBand& b : kBands)
    if (sameAdifName(name, b.name)) return &b;
  return nullptr;
}

const AdifBand* bandOf(float mhz) {
  const double f = static_cast<double>(mhz);
  for (const AdifBand& b : kBands)
    if (f >= b.lower && f <= b.upper) return &b;
  return nullptr;
}

int bandIndex(const AdifBand* band) { return band ? static_cast<int>(band - kBands.data()) + 1 : 0; }

std::string frequencyField(std::string_view text) {
  text = trimmed(text);
  size_t point;
  if (!plainDecimal(text, point)) return {};
  if (!aboveZero(text)) return {};
  const size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
  if (text.size() <= kFieldWidth && decimals <= kMostDecimals) return std::string(text);
  // Rounded in decimal, half up, to as many decimals as fit.
  const std::string_view whole = text.substr(0, point == std::string_view::npos ? text.size() : point);
  for (size_t d = std::min<size_t>(decimals, kMostDecimals);; --d) {
    std::string digits(whole);
    if (d > 0) digits += text.substr(point + 1, d);
    if (d < decimals && text[point + 1 + d] >= '5') {
      size_t i = digits.size();
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i == 0) {
        digits.insert(digits.begin(), '1');
      } else {
        ++digits[i - 1];
      }
    }
    if (d > 0) digits.insert(digits.size() - d, 1, '.');
    if (digits.size() <= kFieldWidth) return digits;
    if (d == 0) break;
  }
  return {};
}

}  // namespace kivo
