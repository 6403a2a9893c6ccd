#include "logbook/interchange/cabrillo_tokens.h"

#include "logbook/interchange/adif_reader.h"

namespace kivo {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Designator {
  std::string_view designator, band;
};
// The VHF and higher band designators of the Cabrillo format, by ADIF band name.
constexpr Designator kDesignators[] = {
    {"50", "6M"},     {"70", "4M"},     {"144", "2M"},     {"222", "1.25M"}, {"432", "70CM"}, {"902", "33CM"},
    {"1.2G", "23CM"}, {"2.3G", "13CM"}, {"3.4G", "9CM"},   {"5.7G", "6CM"},  {"10G", "3CM"},  {"24G", "1.25CM"},
    {"47G", "6MM"},   {"76G", "4MM"},   {"119G", "2.5MM"}, {"142G", "2MM"},  {"241G", "1MM"},
};

}  // namespace

bool isCabrilloQsoLine(std::string_view line) { return line.size() >= 4 && sameAdifName(line.substr(0, 4), "QSO:"); }

bool splitCabrilloQso(std::string_view line, CabrilloQso& qso) {
  std::vector<std::string_view> tokens;
  for (size_t i = 4; i < line.size();) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  if (tokens.size() < 6) return false;
  const size_t rest = tokens.size() - 4;  // the calls, the exchanges and the transmitter
  const bool transmitter = rest % 2 == 1;
  if (transmitter && rest < 3) return false;
  const size_t exchange = (rest - 2 - (transmitter ? 1 : 0)) / 2;
  qso = CabrilloQso{};
  qso.frequency = tokens[0];
  qso.mode = tokens[1];
  qso.date = tokens[2];
  qso.time = tokens[3];
  qso.sentCall = tokens[4];
  qso.sentExchange.assign(tokens.begin() + 5, tokens.begin() + static_cast<long>(5 + exchange));
  qso.receivedCall = tokens[5 + exchange];
  const auto received = tokens.begin() + static_cast<long>(6 + exchange);
  qso.receivedExchange.assign(received, received + static_cast<long>(exchange));
  if (transmitter) qso.transmitter = tokens.back();
  return true;
}

std::string_view cabrilloBand(std::string_view frequency) {
  for (const Designator& d : kDesignators)
    if (sameAdifName(frequency, d.designator)) return d.band;
  return {};
}

}  // namespace kivo
