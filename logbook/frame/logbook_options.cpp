#include "logbook/frame/logbook_options.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "common/command_line.h"
#include "common/text.h"

namespace kivo {

namespace {

void applyStation(const std::string& line, Config& config) {
  size_t p = line.find("S=");
  if (p == std::string::npos) return;
  size_t start = p + 2;
  size_t q = line.find(' ', start);
  std::string call;
  std::string text;
  if (q == std::string::npos) {
    call = line.substr(start);
  } else {
    call = line.substr(start, q - start);
    // The whole rest of the line is the comment text, its last character included.
    text = line.substr(q + 1);
    size_t t = text.find("TZ=");
    if (t != std::string::npos) text = t == 0 ? std::string() : text.substr(0, t >= 1 ? t - 1 : 0);
  }
  if (!call.empty() && call[0] == '\b') call.erase(0, 1);
  // Without a callsign the text waits for a station from the drop file.
  config.stationText = blankRecordBreakers(text);
  if (call.empty()) return;
  config.stationCall = blankRecordBreakers(call);
}

}  // namespace

Config parseCommandLine(const std::vector<std::string>& args) {
  const std::string line = joinedCommandLine(args);

  Config config;
  std::string value;
  if (optionValue(line, "F=", value)) config.startLog = value;
  if (hasOption(line, "NOMOUSE")) config.mouseEnabled = false;
  if (optionValue(line, "F2=", value)) config.countryFileName = value;
  if (optionValue(line, "F3=", value)) config.workedFileName = value;
  if (optionValue(line, "F4=", value)) config.gridFileName = value;
  if (optionValue(line, "F6=", value)) config.transferFileName = value;
  applyStation(line, config);
  if (optionValue(line, "TZ=", value)) {
    long long hours = roundHalfEven(parseNumber(value));
    config.timeZoneHours = static_cast<int>(std::clamp<long long>(hours, INT_MIN, INT_MAX));
  }
  if (optionValue(line, "W=", value)) config.defaultPower = value;
  if (hasOption(line, "BM=")) config.markBM = true;
  if (hasOption(line, "AD=")) config.markAS = true;
  if (hasOption(line, "ROW43=")) config.screenRows = 43;
  return config;
}

}  // namespace kivo
