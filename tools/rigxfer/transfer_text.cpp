#include "tools/rigxfer/transfer_text.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "common/text.h"

namespace kivo {

namespace {

// The logbook's own mode codes for hamlib's modes. The rest keep their names.
const std::map<std::string, std::string>& modeCodes() {
  // Both spellings where hamlib's names changed between versions (PKTFM is FM-D).
  static const std::map<std::string, std::string> codes = {
      {"CW", "CW"},      {"CWR", "CW"},      {"CWN", "CW"},      {"USB", "USB"},     {"LSB", "LSB"},
      {"ISBUSB", "USB"}, {"ISBLSB", "LSB"},  {"AM", "AM"},       {"AMS", "AM"},      {"AMN", "AM"},
      {"AM-N", "AM"},    {"SAM", "AM"},      {"SAL", "AM"},      {"SAH", "AM"},      {"DSB", "AM"},
      {"ECSSUSB", "AM"}, {"ECSSLSB", "AM"},  {"FM", "FM"},       {"FMN", "FM"},      {"WFM", "FM"},
      {"RTTY", "RTTY"},  {"RTTYR", "RTTY"},  {"PKTUSB", "DATA"}, {"PKTLSB", "DATA"}, {"PKTFM", "DATA"},
      {"FM-D", "DATA"},  {"PKTFMN", "DATA"}, {"PKTAM", "DATA"},  {"AM-D", "DATA"},   {"PSK", "DATA"},
      {"PSKR", "DATA"},  {"DD", "DATA"},
  };
  return codes;
}

// A mode line of more than this many characters is the logbook's high-power mark.
constexpr size_t kPlainModeLength = 6;

// Beyond this the frequency column of the log (eight characters) means nothing.
constexpr double kHighestHz = 1e12;

}  // namespace

std::string transferMode(const std::string& hamlibMode) {
  const std::string name = upperCase(hamlibMode);
  const auto code = modeCodes().find(name);
  if (code != modeCodes().end()) return code->second;
  return name.substr(0, kPlainModeLength);
}

std::string transferText(double hz, const std::string& hamlibMode, bool highPower) {
  if (!std::isfinite(hz) || hz < 0 || hz >= kHighestHz) return "";
  char freq[32];
  std::snprintf(freq, sizeof freq, "%.5f", hz / 1e6);
  std::string mode = transferMode(hamlibMode);
  if (highPower) mode = fitWidth(mode, kPlainModeLength + 1) + "H";
  return std::string(freq) + "\n" + mode + "\n";
}

}  // namespace kivo
