#include "tools/rigxfer/options.h"

#include <string_view>

namespace kivo {

namespace {

struct ValueOption {
  char letter;
  std::string_view name;
};

constexpr ValueOption kValueOptions[] = {
    {'m', "--model"}, {'r', "--rig-file"}, {'s', "--serial-speed"}, {'i', "--interval"}, {'o', "--output"},
};

// Digits only, and few enough of them that the value fits.
bool parseCount(const std::string& text, long long low, long long high, int& value) {
  if (text.empty() || text.size() > 9) return false;
  long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < low || n > high) return false;
  value = static_cast<int>(n);
  return true;
}

std::string applyValue(RigxferOptions& o, char letter, const std::string& value) {
  switch (letter) {
    case 'm': return parseCount(value, 1, 999999999, o.model) ? "" : "-m needs a hamlib radio model number";
    case 'r': o.rigPath = value; return value.empty() ? "-r needs a device or a rigctld address" : "";
    case 's': return parseCount(value, 1, 999999999, o.serialSpeed) ? "" : "-s needs a serial speed in baud";
    case 'i':
      return parseCount(value, kMinIntervalMs, kMaxIntervalMs, o.intervalMs)
                 ? ""
                 : "-i needs a poll interval of " + std::to_string(kMinIntervalMs) + " to " +
                       std::to_string(kMaxIntervalMs) + " ms";
    default: o.output = value; return value.empty() ? "-o needs a file name" : "";
  }
}

// The option that `arg` names, with its value when it is written into the same
// argument ("-m2", "--model=2"); nullptr when it names none.
const ValueOption* valueOption(const std::string& arg, std::string& inlineValue, bool& hasInline) {
  hasInline = false;
  for (const ValueOption& v : kValueOptions) {
    if (arg.size() >= 2 && arg[0] == '-' && arg[1] == v.letter) {
      hasInline = arg.size() > 2;
      inlineValue = arg.substr(2);
      return &v;
    }
    if (arg == v.name) return &v;
    if (arg.size() > v.name.size() && arg.compare(0, v.name.size(), v.name) == 0 && arg[v.name.size()] == '=') {
      hasInline = true;
      inlineValue = arg.substr(v.name.size() + 1);
      return &v;
    }
  }
  return nullptr;
}

}  // namespace

RigxferOptions parseRigxferOptions(const std::vector<std::string>& args, std::string& error) {
  RigxferOptions o;
  error.clear();
  for (size_t k = 0; k < args.size() && error.empty(); ++k) {
    const std::string& arg = args[k];
    std::string value;
    bool hasInline = false;
    if (arg == "--help" || arg == "--version") {
      o.action = arg == "--help" ? RigxferOptions::Action::kHelp : RigxferOptions::Action::kVersion;
      return o;
    } else if (arg == "-H" || arg == "--high-power") {
      o.highPower = true;
    } else if (arg == "--once") {
      o.once = true;
    } else if (const ValueOption* v = valueOption(arg, value, hasInline)) {
      if (!hasInline) {
        if (k + 1 == args.size()) {
          error = std::string(v->name) + " needs a value";
          break;
        }
        value = args[++k];
      }
      error = applyValue(o, v->letter, value);
    } else {
      error = arg.size() > 1 && arg[0] == '-' ? "unknown option " + arg : "unexpected argument " + arg;
    }
  }
  return o;
}

}  // namespace kivo
