// Times the browse screen on a large log: start-up to the first screen, and the page
// moves. Run on demand:  cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build
// --target browse_bench && build/bench/browse_bench [records]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "common/scripted_terminal.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_record.h"

using namespace kivo;
using Clock = std::chrono::steady_clock;

namespace {

void writeStation(long long records) {
  std::ofstream("COUNTRY.DAT") << "PREFIX TABLE\r\n----\r\nK          USA\r\nDL         GERMANY\r\n";
  std::ofstream("GRID.SQU") << "";
  std::ofstream("WORKED.CFM") << "TABLE\r\nEND\r\n";
  std::ofstream log("LOGMAIN.DAT", std::ios::binary);
  LogRecord r;
  r.set(Field::DATE, "06 DEC 26");
  r.set(Field::FREQ, "14.02500");
  r.set(Field::MODE, "CW");
  r.set(Field::PWR, "100");
  r.set(Field::TIME, "1200");
  r.set(Field::SN, "599");
  r.set(Field::RD, "599");
  r.set(Field::TOFF, "1201");
  r.set(Field::COUNTRY, "USA");
  r.set(Field::SR, "  ");
  r.set(Field::COMMENTS, "BENCH");
  r.setSeparators();
  for (long long i = 1; i <= records; ++i) {
    r.set(Field::STATION, "K" + std::to_string(i));
    log.write(reinterpret_cast<const char*>(r.bytes.data()), 144);
  }
}

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void report(const char* what, int reps, const std::function<void()>& step) {
  auto start = Clock::now();
  for (int i = 0; i < reps; ++i) step();
  std::printf("%-34s %9.3f ms\n", what, millis(Clock::now() - start) / reps);
}

}  // namespace

int main(int argc, char** argv) {
  long long records = argc > 1 ? std::atoll(argv[1]) : 100000;
  char pattern[] = "/tmp/kivo-bench-XXXXXX";
  std::filesystem::path dir = ::mkdtemp(pattern);
  std::filesystem::current_path(dir);
  writeStation(records);
  std::printf("log of %lld contacts\n", records);

  ScriptedTerminal terminal;
  Console console(terminal);
  Logbook lb(console);
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
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return 0;
}
