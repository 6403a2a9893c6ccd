// Times the selection reports of the reports menu (entries 1 to 4) on a large log
// against cat of the same log, made in the same run; cp of the log shows what writing
// every record costs, since a report's time grows with the records it writes (the
// new file is synced to disk before it takes its name). Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target reports_bench
//   build/bench/reports_bench [records [repeats]]      (default: 1000000 5)
// Each figure is the median of the repeats.
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

// A table of the usual size: headings, one line per entity with a few cells
// confirmed, the deleted section and the end.
void writeWorkedTable() {
  std::ofstream out("WORKED.CFM", std::ios::binary);
  out << "WORKED AND CONFIRMED\r\n\r\n";
  for (long long i = 0; i < kEntities; ++i) {
    std::string line = fitWidth("P" + std::to_string(i), 16) + fitWidth(entityName(i), 12) + std::string(14, ' ');
    for (int k = 0; k < 18; ++k)
      line += std::string("\xB3") + (((i + k) % 3 == 0) ? "X" : (i + k) % 3 == 1 ? "\\" : " ");
    out << line << "\xB3\r\n";
    if (i == kEntities - 20) out << "DELETED\r\n";
  }
  out << "END\r\n";
}

// One entry run on the full log by a freshly started logbook (a report makes its new
// file the log), the new file's size reported with it.
double runEntry(const std::string& choice, const std::string& answer, long long& written) {
  BenchStation s;
  const double ms = s.menu(choice, {"REPORT.DAT", answer});
  written = fileLength("REPORT.DAT") / 144;
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const long long n = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  ScratchDir dir;
  writeTables();
  writeWorkedTable();
  writeMixedLog(n, false);
  struct Entry {
    const char* what;
    const char* choice;
    const char* answer;
  };
  const Entry entries[] = {
      {"bands 20 40 (F5, 1)", "1", "20 40"},
      {"bands 70CM: none (F5, 1)", "1", "70CM"},
      {"bands all (F5, 1)", "1", "160 80 40 30 20 17 15 12 10 6M 2M"},
      {"not confirmed, BAND (F5, 2)", "2", "BAND"},
      {"not confirmed, MIXED (F5, 2)", "2", "MIXED"},
      {"QSLs to send, CW (F5, 3)", "3", "CW"},
      {"general F5=;F3<;F1= (F5, 4)", "4", "F5=ENTITY 007;F3<6;F1=DEC"},
  };
  std::vector<double> cats, copies;
  std::vector<std::vector<double>> times(std::size(entries));
  std::vector<long long> written(std::size(entries));
  for (int r = 0; r < repeats; ++r) {
    cats.push_back(catFile("LOGMAIN.DAT"));
    copies.push_back(copyFile("LOGMAIN.DAT", "COPY.DAT"));
    for (size_t e = 0; e < std::size(entries); ++e)
      times[e].push_back(runEntry(entries[e].choice, entries[e].answer, written[e]));
  }
  const double cat = median(cats);
  for (size_t e = 0; e < std::size(entries); ++e) {
    row(entries[e].what, n, median(times[e]), cat, "cat");
    std::printf("%-28s %9lld records written\n", "", written[e]);
  }
  std::printf("%-28s %9lld records %10.1f ms\n", "cat of the log", n, cat);
  row("cp of the log", n, median(copies), cat, "cat");
  return 0;
}
