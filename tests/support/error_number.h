#pragma once
// The number of the runtime error that a step ends in.
#include <functional>

namespace kivo::testing {

// The number of the runtime error that `step` ends in, or 0 when it ends well.
template <typename Error>
int errorNumberOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

}  // namespace kivo::testing
