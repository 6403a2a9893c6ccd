#pragma once
// The logbook's state object needs a console; kivoconv has no screen, so its console
// stands on a terminal that draws nothing and is never asked for keys.
#include <ctime>

#include "common/terminal.h"

namespace kivo {

class HeadlessTerminal : public Terminal {
 public:
  void show(const Screen&) override {}
  std::string pollKey() override { return {}; }
  bool pollMouse(MouseState&) override { return false; }
  void pause(int) override {}
  LocalTime now() override {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

}  // namespace kivo
