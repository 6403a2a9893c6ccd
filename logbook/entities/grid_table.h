#pragma once
// The grid-square table (GRID.SQU): one line a square, "AB12 /" worked, "AB12 X"
// confirmed. The logbook holds the lines in file order and writes them back whole.
#include <string>
#include <vector>

namespace kivo {

struct GridTable {
  std::vector<std::string> lines;
};

// Reads every line of the file; a file that cannot be opened is a runtime error.
GridTable loadGridTable(const std::string& path);

}  // namespace kivo
