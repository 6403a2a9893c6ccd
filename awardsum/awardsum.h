#pragma once
// awardsum: one screen of award totals counted from WORKED.CFM and GRID.SQU.
#include <array>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/worked.h"

namespace kivo {

struct AwardSumFiles {
  std::string worked = "WORKED.CFM";
  std::string grid = "GRID.SQU";
};

// The arguments joined by blanks and upper-cased; F3= names the worked file and F4=
// the grid file, each value running to the next blank. Anything else is ignored.
AwardSumFiles parseAwardSumCommandLine(const std::vector<std::string>& args);

struct MarkCounts {
  long long worked = 0;
  long long confirmed = 0;
  long long credited = 0;
  void add(const MarkClass& mark);
};

struct AwardTotals {
  std::array<MarkCounts, kCategoryCount> all{};      // index k - 1
  std::array<MarkCounts, kCategoryCount> deleted{};  // the deleted section alone
  MarkCounts bands;                                  // 160 m to 6 m, every entity line
  MarkCounts challenge;                              // the same without 60 m, current entities only
  long long entities = 0;
  long long deletedEntities = 0;
};

// Counts the worked file up to its "END" line, or to its end when it has none.
// A file that cannot be read is a runtime error.
AwardTotals countWorkedTable(const std::string& path);

// Shows the totals, waits for a key or a click on the word EXIT, and returns the exit
// status. A missing worked or grid file is a runtime error.
int runAwardSum(Console& console, const std::vector<std::string>& args);

}  // namespace kivo
