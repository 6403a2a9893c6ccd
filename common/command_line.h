#pragma once
// The command line as both programs read it: all arguments joined by single blanks
// and upper-cased, then searched for keys anywhere in it (a key is also found inside
// a longer word).
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

std::string joinedCommandLine(const std::vector<std::string>& args);

// The value of a key: from just after the key up to the first blank after it, or to
// the end of the line. False when the key is not on the line.
bool optionValue(const std::string& line, std::string_view key, std::string& value);

inline bool hasOption(const std::string& line, std::string_view key) { return line.find(key) != std::string::npos; }

}  // namespace kivo
