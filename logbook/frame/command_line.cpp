#include <algorithm>
#include <climits>
#include <string_view>

#include "common/text.h"
#include "logbook/frame/startup.h"

namespace kivo {

namespace {

// The value of a key: from just after the key up to the first blank after it, or to
// the end of the line. False when the key is not on the line.
bool keyValue(const std::string& line, std::string_view key, std::string& value) {
  size_t p = line.find(key);
  if (p == std::string::npos) return false;
  size_t start = p + key.size();
  size_t blank = line.find(' ', start);
  value = line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
  return true;
}

bool hasKey(const std::string& line, std::string_view key) { return line.find(key) != std::string::npos; }

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
  if (call.empty()) return;
  config.autoLogCall = call;
  config.autoLogText = text;
  config.autoLogPending = true;
}

}  // namespace

Config parseCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += ' ';
    line += args[i];
  }
  line = upperCase(line);

  Config config;
  std::string value;
  if (keyValue(line, "F=", value)) config.logFileName = value;
  if (hasKey(line, "NOMOUSE")) config.mouseEnabled = false;
  if (keyValue(line, "F2=", value)) config.countryFileName = value;
  if (keyValue(line, "F3=", value)) config.workedFileName = value;
  if (keyValue(line, "F4=", value)) config.gridFileName = value;
  if (keyValue(line, "F6=", value)) config.transferFileName = value;
  applyStation(line, config);
  if (keyValue(line, "TZ=", value)) {
    long long hours = roundHalfEven(parseNumber(value));
    config.timeZoneHours = static_cast<int>(std::clamp<long long>(hours, INT_MIN, INT_MAX));
  }
  if (keyValue(line, "W=", value)) config.defaultPower = value;
  if (hasKey(line, "BM=")) config.markBM = true;
  if (hasKey(line, "AD=")) config.markAS = true;
  if (hasKey(line, "ROW43=")) config.screenRows = 43;
  return config;
}

}  // namespace kivo
