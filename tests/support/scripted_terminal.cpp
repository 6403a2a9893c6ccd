#include "tests/support/scripted_terminal.h"

namespace kivo {

namespace {
// Polls without any change on the screen and with nothing in the script that the
// program takes: the program is waiting for input the script does not hold.
constexpr int kIdleLimit = 2000;

// Only seconds matter to the programs; whole seconds are carried into the date.
void advance(LocalTime& t, long long& carry, long long ms) {
  carry += ms;
  while (carry >= 1000) {
    carry -= 1000;
    if (++t.second < 60) continue;
    t.second = 0;
    if (++t.minute < 60) continue;
    t.minute = 0;
    if (++t.hour < 24) continue;
    t.hour = 0;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int length = days[t.month - 1] + (t.month == 2 && t.year % 4 == 0 && (t.year % 100 != 0 || t.year % 400 == 0));
    if (++t.day <= length) continue;
    t.day = 1;
    if (++t.month <= 12) continue;
    t.month = 1;
    ++t.year;
  }
}
}  // namespace

ScriptedTerminal::ScriptedTerminal() { clock_ = LocalTime{2026, 12, 6, 12, 0, 0}; }

ScriptedTerminal& ScriptedTerminal::key(std::string k) {
  Step s{Kind::Key, std::move(k), {}, 1, {}};
  queue_.push_back(std::move(s));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::type(std::string_view text) {
  for (char c : text) key(std::string(1, c));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::mouse(int row, int column, bool left, int polls) {
  Step s{Kind::Mouse, {}, MouseState{row, column, left}, polls < 1 ? 1 : polls, {}};
  queue_.push_back(std::move(s));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::click(int row, int column) {
  mouse(row - 1, column - 1, true, 1);
  return mouse(row - 1, column - 1, false, 1);
}

ScriptedTerminal& ScriptedTerminal::clock(const LocalTime& time) {
  Step s{Kind::Clock, {}, {}, 1, time};
  queue_.push_back(std::move(s));
  return *this;
}

bool ScriptedTerminal::resize(int rows) {
  (void)rows;
  ++resizes_;
  return true;
}

void ScriptedTerminal::show(const Screen& screen) {
  ++shows_;
  seenVersion_ = screen.version();
}

void ScriptedTerminal::applyClocks() {
  while (!queue_.empty() && queue_.front().kind == Kind::Clock) {
    clock_ = queue_.front().time;
    queue_.pop_front();
  }
}

void ScriptedTerminal::idle() {
  if (seenVersion_ != lastVersion_) {
    lastVersion_ = seenVersion_;
    idlePolls_ = 0;
    return;
  }
  if (++idlePolls_ > kIdleLimit) throw ScriptEnded();
}

std::string ScriptedTerminal::pollKey() {
  applyClocks();
  if (!queue_.empty() && queue_.front().kind == Kind::Key) {
    std::string k = std::move(queue_.front().key);
    queue_.pop_front();
    idlePolls_ = 0;
    applyClocks();
    return k;
  }
  idle();
  return {};
}

bool ScriptedTerminal::pollMouse(MouseState& state) {
  if (!mousePresent_) return false;
  applyClocks();
  if (!queue_.empty() && queue_.front().kind == Kind::Mouse) {
    Step& s = queue_.front();
    current_ = s.mouse;
    idlePolls_ = 0;
    if (--s.polls == 0) queue_.pop_front();
  }
  state = current_;
  return true;
}

void ScriptedTerminal::pause(int ms) {
  pausedMs_ += ms;
  advance(clock_, carryMs_, ms);
}

}  // namespace kivo
