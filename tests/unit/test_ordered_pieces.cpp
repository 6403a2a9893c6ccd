#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ordered_pieces.h"

namespace kivo {

// Pieces are made on two threads and used in order on the caller's; a failure on
// either side ends the work and reaches the caller, after the pieces before it.
TEST(OrderedPieces, UsedInOrderAndFailuresReachTheCaller) {
  struct Case {
    size_t count, ahead;
    long failMake, failUse;  // the piece whose make or use throws, -1 for none
  };
  for (const Case& c : {Case{0, 4, -1, -1}, Case{1, 1, -1, -1}, Case{997, 1, -1, -1}, Case{997, 4, -1, -1},
                        Case{500, 4, 0, -1}, Case{500, 4, 333, -1}, Case{500, 3, -1, 250}}) {
    std::vector<size_t> used;
    const std::function<std::string(size_t)> make = [&](size_t i) {
      if (static_cast<long>(i) == c.failMake) throw std::runtime_error("make");
      std::string text;
      for (size_t k = 0; k < i % 50; ++k) text += std::to_string(k);  // pieces of unequal work
      return std::to_string(i) + ":" + text;
    };
    const std::function<void(size_t, std::string&)> use = [&](size_t i, std::string& piece) {
      if (static_cast<long>(i) == c.failUse) throw std::runtime_error("use");
      ASSERT_EQ(piece.substr(0, piece.find(':')), std::to_string(i));
      used.push_back(i);
    };
    const long fails = c.failMake >= 0 ? c.failMake : c.failUse;
    if (fails >= 0) {
      EXPECT_THROW(makeInOrder<std::string>(c.count, c.ahead, make, use), std::runtime_error);
      EXPECT_LE(used.size(), static_cast<size_t>(fails));
    } else {
      makeInOrder<std::string>(c.count, c.ahead, make, use);
      EXPECT_EQ(used.size(), c.count);
    }
    for (size_t k = 0; k < used.size(); ++k) ASSERT_EQ(used[k], k);
  }
}

}  // namespace kivo
