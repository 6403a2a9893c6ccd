// Times the commands that walk the whole log (the update run Alt-U from record 1,
// the search F1 that finds nothing, printing F4 from record 1, delete-last Alt-D)
// against cp and cat of the same log, in the same run. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target wholelog_bench
//   build/bench/wholelog_bench [records ...]      (default: 100000 1000000)
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "logbook/records/log_store.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// A worked table of the usual size, the log's entity among its lines.
void writeWorkedTable() {
  std::ofstream out("WORKED.CFM", std::ios::binary);
  out << "WORKED TABLE\r\n";
  for (int i = 0; i < 400; ++i) {
    std::string name = i == 200 ? "USA" : "ENTITY " + std::to_string(i);
    std::string line = std::string(16, ' ') + name + std::string(26 - name.size(), ' ');
    for (int k = 0; k < 18; ++k) line += "\xB3 ";
    out << line << "\xB3\r\n";
  }
  out << "DELETED\r\nEND\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  for (long long n : benchSizes(argc, argv)) {
    ScratchDir dir;
    writeTables();
    writeWorkedTable();
    writeLog("LOGMAIN.DAT", n);
    const double cp = copyFile("LOGMAIN.DAT", "COPY.DAT");
    const double cat = catFile("LOGMAIN.DAT");
    const double cpSync = copyAndSync("LOGMAIN.DAT", "COPY2.DAT");
    BenchStation s;
    s.terminal.ext(keys::kHome);
    commandPass(s.lb);
    s.terminal.ext(keys::kAltU);
    row("Alt-U from record 1", n, timeIt([&] {
          do commandPass(s.lb);
          while (s.lb.browse.scrollMode != ScrollMode::None && s.lb.browse.currentRecord <= recordCount(s.lb));
        }),
        cp, "cp");
    // One contact typed on the new-contact line: the pass of its Enter saves it,
    // marks the tables and puts both on the disk.
    s.terminal.ext(keys::kEnd).type("W1AW").key(keys::kTab).key(keys::kEnter);
    for (int i = 0; i < 6; ++i) commandPass(s.lb);
    row("one contact saved (Enter)", n, timeIt([&] { commandPass(s.lb); }), cpSync, "cp + sync");
    s.terminal.ext(keys::kHome);
    for (int i = 0; i < 5; ++i) s.terminal.key(keys::kTab);
    for (int i = 0; i < 6; ++i) commandPass(s.lb);
    s.terminal.ext(keys::kF1).type("ZZZZZZ").key(keys::kEnter);
    row("F1 search that finds nothing", n, timeIt([&] { commandPass(s.lb); }), cat, "cat");
    s.terminal.ext(keys::kF4);
    row("F4 print from record 1", n, timeIt([&] { commandPass(s.lb); }), cp, "cp");
    s.terminal.ext(keys::kAltD).type("Y").key(keys::kEnter);
    row("Alt-D delete the last record", n, timeIt([&] { commandPass(s.lb); }), cpSync, "cp + sync");
    std::printf("%-28s %9lld records %10.1f ms\n%-28s %9lld records %10.1f ms\n%-28s %9lld records %10.1f ms\n",
                "cp of the log", n, cp, "cp + sync of the log", n, cpSync, "cat of the log", n, cat);
  }
  return 0;
}
