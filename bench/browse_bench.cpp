// Times the browse screen on a large log: start-up to the first screen, and the page
// moves. Run on demand:  cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build
// --target browse_bench && build/bench/browse_bench [records]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "bench_support.h"
#include "logbook/frame/key_dispatch.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// The station with a log of contacts all of one day, told apart by their calls.
void writeStation(long long records) {
  writeTables();
  std::ofstream log("LOGMAIN.DAT", std::ios::binary);
  testing::ContactFields fields;
  fields.date = "06 DEC 26";
  fields.comments = "BENCH";
  for (long long i = 1; i <= records; ++i) {
    fields.call = "K" + std::to_string(i);
    log << testing::recordBytes(testing::recordOf(fields));
  }
}

void report(const char* what, int reps, const std::function<void()>& step) {
  auto start = Clock::now();
  for (int i = 0; i < reps; ++i) step();
  std::printf("%-34s %9.3f ms\n", what, millis(Clock::now() - start) / reps);
}

}  // namespace

int main(int argc, char** argv) {
  long long records = argc > 1 ? std::atoll(argv[1]) : 100000;
  ScratchDir dir;
  writeStation(records);
  std::printf("log of %lld contacts\n", records);

  testing::ScriptedLogbook station;
  Logbook& lb = station.lb;
  auto start = Clock::now();
  startLogbook(lb);
  buildScreen(lb);
  std::printf("%-34s %9.3f ms\n", "start-up to the first screen", millis(Clock::now() - start));

  const int reps = 200;
  report("PgUp", reps, [&] { dispatchKey(lb, keys::extended(keys::kPgUp)); });
  report("Home", reps, [&] { dispatchKey(lb, keys::extended(keys::kHome)); });
  report("PgDn", reps, [&] { dispatchKey(lb, keys::extended(keys::kPgDn)); });
  report("End", reps, [&] { dispatchKey(lb, keys::extended(keys::kEnd)); });
  report("Home and End in turn", reps, [&] {
    dispatchKey(lb, keys::extended(keys::kHome));
    dispatchKey(lb, keys::extended(keys::kEnd));
  });
  return 0;
}
