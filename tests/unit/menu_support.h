#pragma once
// Driving the reports menu (F5) of a scripted station.
#include <string>

#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo::testing {

// F5, the choice, and each answer that follows, every one ended by Enter.
template <typename... Answers>
void menu(Station& s, const std::string& choice, const Answers&... answers) {
  s.terminal.ext(keys::kF5).type(choice).key(keys::kEnter);
  (s.terminal.type(answers).key(keys::kEnter), ...);
}

// A contact on a date and time, with a call to tell it apart.
inline LogRecord dated(const std::string& call, const std::string& date, const std::string& time) {
  LogRecord r = contact(call, date);
  r.set(Field::TIME, time);
  r.setSeparators();
  return r;
}

// The calls of a log file's records, in order, separated by blanks.
inline std::string callsOf(const std::string& logBytes) {
  std::string out;
  for (size_t at = 0; at + 144 <= logBytes.size(); at += 144) {
    std::string call = logBytes.substr(at + 44, 16);
    call.erase(call.find_last_not_of(' ') + 1);
    out += (out.empty() ? "" : " ") + call;
  }
  return out;
}

}  // namespace kivo::testing
