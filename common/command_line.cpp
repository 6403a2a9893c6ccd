#include "common/command_line.h"

#include "common/text.h"

namespace kivo {

std::string joinedCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += ' ';
    line += args[i];
  }
  return upperCase(line);
}

bool optionValue(const std::string& line, std::string_view key, std::string& value) {
  size_t p = line.find(key);
  if (p == std::string::npos) return false;
  size_t start = p + key.size();
  size_t blank = line.find(' ', start);
  value = line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
  return true;
}

}  // namespace kivo
