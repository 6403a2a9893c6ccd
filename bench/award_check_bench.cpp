// Times awardsum --check and --rebuild on a large log against cat of the same log,
// made in the same run. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target award_check_bench awardsum
//   build/bench/award_check_bench [records [repeats]]      (default: 1000000 5)
// Each figure is the median of the repeats; the program itself is timed as the user
// runs it, a process of its own like cat.
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

constexpr int kEntities = 340;

std::string entityName(long long i) {
  char name[16];
  std::snprintf(name, sizeof name, "ENTITY %03lld", i % kEntities);
  return name;
}

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

// Contacts spread over the entities, the bands, three modes and the QSL marks; the
// VHF ones name one of a few hundred squares.
void writeMixedLog(long long records) {
  static constexpr const char* kFreqs[] = {"1.830",  "3.550",  "7.025",  "10.110", "14.025", "18.080",
                                           "21.030", "24.900", "28.050", "50.100", "144.200"};
  static constexpr const char* kModes[] = {"CW", "SSB", "FT8"};
  static constexpr const char* kQsl[] = {"  ", "X ", " X", "XX", "L ", " L"};
  std::ofstream log("LOGMAIN.DAT", std::ios::binary);
  for (long long i = 1; i <= records; ++i) {
    LogRecord r = benchRecord(i);
    const unsigned long long h = static_cast<unsigned long long>(i) * 2654435761ull >> 7;
    r.set(Field::FREQ, kFreqs[h % 11]);
    r.set(Field::MODE, kModes[(h >> 4) % 3]);
    r.set(Field::PWR, std::to_string(1 + (h >> 6) % 150));
    r.set(Field::COUNTRY, entityName(static_cast<long long>((h >> 9) % kEntities)));
    r.set(Field::SR, kQsl[(h >> 17) % 6]);
    char square[16];
    std::snprintf(square, sizeof square, "#JO%02llu", (h >> 20) % 100);
    r.set(Field::COMMENTS, h % 11 >= 9 ? std::string("TNX ") + square : "BENCH");
    r.setSeparators();
    log.write(reinterpret_cast<const char*>(r.bytes.data()), 144);
  }
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
  writeMixedLog(records);
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
