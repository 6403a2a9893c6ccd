#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "logbook/entities/grid_table.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace kivo {
namespace {

using Lines = std::vector<std::string>;

TEST(GridTableLoad, KeepsEveryLineInFileOrder) {
  testing::TempDir dir;
  testing::writeFile("GRID.SQU", "FN31 /\r\nJO62 X\r\nFN31 X\r\n");
  EXPECT_EQ(loadGridTable("GRID.SQU").lines, (Lines{"FN31 /", "JO62 X", "FN31 X"}));
}

TEST(GridTableLoad, LineEndsAndOddLinesAreKeptAsTheyAre) {
  testing::TempDir dir;
  // LF alone, a last line without an end, an empty line, text behind the status
  // column and bytes of the console code page all come back unchanged.
  std::string odd = std::string("JO62 X  \xB3 NOTE\x01", 15);
  testing::writeFile("GRID.SQU", "FN31 /\n\r\nJO6\r\n" + odd + "\r\nIO91 /");
  EXPECT_EQ(loadGridTable("GRID.SQU").lines, (Lines{"FN31 /", "", "JO6", odd, "IO91 /"}));
}

TEST(GridTableLoad, EmptyFileIsAnEmptyTable) {
  testing::TempDir dir;
  testing::writeFile("GRID.SQU", "");
  EXPECT_TRUE(loadGridTable("GRID.SQU").lines.empty());
}

TEST(GridTableLoad, HoldsMoreThanTheOldFiveHundredLines) {
  testing::TempDir dir;
  std::string bytes;
  for (int i = 0; i < 1200; ++i) {
    char square[8];
    std::snprintf(square, sizeof square, "%c%c%02d", 'A' + i / 100 % 18, 'A' + i / 10 % 18, i % 100);
    bytes += std::string(square) + " /\r\n";
  }
  testing::writeFile("GRID.SQU", bytes);
  GridTable t = loadGridTable("GRID.SQU");
  ASSERT_EQ(t.lines.size(), 1200u);
  EXPECT_EQ(t.lines[0], "AA00 /");
  EXPECT_EQ(t.lines[1199], "LL99 /");
}

TEST(GridTableLoad, MissingFileIsRuntimeError2) {
  testing::TempDir dir;
  try {
    loadGridTable("GRID.SQU");
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 2);
  }
}

}  // namespace
}  // namespace kivo
