// Times the sort and the merge of the reports menu against cp of the same file, made in
// the same run. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target convert_bench
//   build/bench/convert_bench [records ...]      (default: 100000 1000000)
#include <cstdlib>
#include <vector>

#include "bench_support.h"

using namespace kivo;
using namespace kivo::bench;

int main(int argc, char** argv) {
  for (long long n : benchSizes(argc, argv)) {
    ScratchDir dir;
    writeTables();
    writeLog("LOGMAIN.DAT", n);
    writeLog("HALF1.DAT", n / 2, 1);
    writeLog("HALF2.DAT", n - n / 2, n / 2 + 1);
    const double copy = copyFile("LOGMAIN.DAT", "COPY.DAT");
    BenchStation s;
    row("sort (F5, 11)", n, s.menu("11", {"SORTED.DAT"}), copy, "copy");
    row("merge of two halves (F5, 5)", n, s.menu("5", {"MERGED.DAT", "HALF1.DAT", "HALF2.DAT"}), copy, "copy");
    std::printf("%-28s %9lld records %10.1f ms\n", "cp of the log", n, copy);
  }
  return 0;
}
