#pragma once
// The command line of rigxfer, in the manner of hamlib's own rigctl: -m model,
// -r device or host:port, -s serial speed.
#include <string>
#include <vector>

namespace kivo {

struct RigxferOptions {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  int model = 2;        // hamlib's network model: a rigctld
  std::string rigPath;  // serial device or host:port; empty for hamlib's default
  int serialSpeed = 0;  // 0 keeps the model's own speed
  int intervalMs = 250;
  std::string output = "RIGXFER.OUT";
  bool highPower = false;
  bool once = false;
};

inline constexpr int kMinIntervalMs = 10;
inline constexpr int kMaxIntervalMs = 3600000;

// Reads the arguments after the program name; an empty `error` when they are sound.
RigxferOptions parseRigxferOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace kivo
