#pragma once
// A terminal for tests: a queue of keys, mouse states and clock settings. When the
// program waits for input that the script no longer holds, the run ends with
// ScriptEnded, so no test can hang.
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/terminal.h"

namespace kivo {

class ScriptEnded : public std::runtime_error {
 public:
  ScriptEnded() : std::runtime_error("script ended") {}
};

class ScriptedTerminal : public Terminal {
 public:
  ScriptedTerminal();

  // Queues one key (one byte, or 0x00 and a scan code).
  ScriptedTerminal& key(std::string k);
  ScriptedTerminal& ext(unsigned char scan) { return key(keys::extended(scan)); }
  // Queues every byte of the text as a key of its own.
  ScriptedTerminal& type(std::string_view text);
  // Queues a mouse state (row and column from 0) that lasts for `polls` mouse polls.
  ScriptedTerminal& mouse(int row, int column, bool left, int polls = 1);
  // A left click on a screen cell given from 1: pressed for one poll, then released.
  ScriptedTerminal& click(int row, int column);
  // Sets the clock when the script reaches this point.
  ScriptedTerminal& clock(const LocalTime& time);

  void setMousePresent(bool present) { mousePresent_ = present; }
  bool resize(int rows) override;

  void show(const Screen& screen) override;
  // Long output is not drawn, but it is a change on the screen all the same.
  void outputTick(const Screen& screen) override { seenVersion_ = screen.version(); }
  std::string pollKey() override;
  bool pollMouse(MouseState& state) override;
  void pause(int ms) override;
  LocalTime now() override { return clock_; }

  // What a test may look at afterwards.
  int shows() const { return shows_; }
  int resizes() const { return resizes_; }
  bool scriptDone() const { return queue_.empty(); }
  long long pausedMs() const { return pausedMs_; }

 private:
  enum class Kind { Key, Mouse, Clock };
  struct Step {
    Kind kind;
    std::string key;
    MouseState mouse;
    int polls = 1;
    LocalTime time;
  };
  void applyClocks();
  void idle();

  std::deque<Step> queue_;
  MouseState current_;
  LocalTime clock_;
  bool mousePresent_ = true;
  uint64_t lastVersion_ = ~0ull;
  uint64_t seenVersion_ = 0;
  int idlePolls_ = 0;
  int shows_ = 0;
  int resizes_ = 0;
  long long pausedMs_ = 0;
  long long carryMs_ = 0;
};

}  // namespace kivo
