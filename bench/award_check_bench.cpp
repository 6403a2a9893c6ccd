// Times awardsum --check and --rebuild on a large log against cat of the same log,
// made in the same run. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target award_check_bench awardsum
//   build/bench/award_check_bench [records [repeats]]      (default: 1000000 5)
// Each figure is the median of the repeats; the program itself is timed as the user
// runs it, a process of its own like cat.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/text.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// One line per entity with blank cells, the deleted section and the end.
std::string workedTable() {
  std::string out = "WORKED AND CONFIRMED\r\n\r\n";
  for (long long i = 0; i < kEntities; ++i) {
    out += fitWidth("P" + std::to_string(i), 16) + fitWidth(entityName(i), 12) + std::string(14, ' ');
    for (int k = 0; k < 18; ++k) out += "\xB3 ";
    out += "\xB3\r\n";
    if (i == kEntities - 20) out += "DELETED\r\n";
  }
  return out + "END\r\n";
}

double runProgram(const std::string& program, const char* option) {
  const std::string command = "'" + program + "' " + option + " >/dev/null";
  return timeIt([&] {
    if (std::system(command.c_str()) == -1) std::fprintf(stderr, "%s failed\n", command.c_str());
  });
}

}  // namespace

int main(int argc, char** argv) {
  const long long records = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string awardsum = KIVO_AWARDSUM;
  ScratchDir dir;
  writeMixedLog(records, true);
  // The log's pages are written out first, so that the disk's work on them does not
  // fall into the figures; one unmeasured round brings both programs into memory.
  ::sync();
  std::ofstream("WORKED.CFM", std::ios::binary) << workedTable();
  std::ofstream("GRID.SQU", std::ios::binary) << "";
  catFile("LOGMAIN.DAT");
  runProgram(awardsum, "--check");
  std::vector<double> cat, check, rebuild;
  for (int i = 0; i < repeats; ++i) {
    std::ofstream("WORKED.CFM", std::ios::binary) << workedTable();  // every rebuild starts from blank cells
    std::ofstream("GRID.SQU", std::ios::binary) << "";
    cat.push_back(catFile("LOGMAIN.DAT"));
    check.push_back(runProgram(awardsum, "--check"));
    rebuild.push_back(runProgram(awardsum, "--rebuild"));
  }
  const double catMs = median(cat);
  row("cat LOGMAIN.DAT", records, catMs, catMs, "cat");
  row("awardsum --check", records, median(check), catMs, "cat");
  row("awardsum --rebuild", records, median(rebuild), catMs, "cat");
  return 0;
}
