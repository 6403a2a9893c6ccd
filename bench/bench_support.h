#pragma once
// Shared by the benchmarks: a station in a scratch folder, a large log, a menu
// choice run through the scripted terminal (in this process or in a fresh one), and
// the plain copy and read of a file that the figures are set against.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/frame/browse.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_record.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo::bench {

using Clock = std::chrono::steady_clock;

inline double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline double timeIt(const std::function<void()>& step) {
  auto start = Clock::now();
  step();
  return millis(Clock::now() - start);
}

// A scratch folder that is the working directory while the object lives.
using ScratchDir = testing::TempDir;

// The test station's tables, but a worked table without entities: the figures are
// those of the work measured, not of marking WORKED.CFM as well (the benchmarks that
// want a table write their own).
inline void writeTables() {
  testing::writeStationTables();
  testing::writeFile("WORKED.CFM", "TABLE\r\nEND\r\n");
}

// A contact numbered i, spread over the century and the day.
inline LogRecord benchRecord(long long i) {
  const unsigned long long h = static_cast<unsigned long long>(i) * 2654435761ull;
  char date[16], time[8];
  std::snprintf(date, sizeof date, "%02llu %.3s %02llu", 1 + h % 28, kMonthNames[(h >> 8) % 12].data(),
                (h >> 12) % 100);
  std::snprintf(time, sizeof time, "%02llu%02llu", (h >> 20) % 24, (h >> 28) % 60);
  testing::ContactFields fields;
  fields.date = date;
  fields.time = time;
  fields.call = "K" + std::to_string(i);
  fields.toff = time;
  fields.comments = "BENCH";
  return testing::recordOf(fields);
}

inline void writeLog(const std::string& name, long long records, long long first = 1) {
  std::ofstream log(name, std::ios::binary);
  for (long long i = first; i < first + records; ++i)
    log.write(reinterpret_cast<const char*>(benchRecord(i).bytes.data()), 144);
}

// The logbook started on LOGMAIN.DAT with the scripted terminal.
struct BenchStation : testing::ScriptedLogbook {
  BenchStation() {
    startLogbook(lb);
    buildScreen(lb);
  }
  // F5, the choice and the answers; the time of the one pass that runs them.
  double menu(const std::string& choice, std::initializer_list<std::string> answers) {
    terminal.ext(keys::kF5).type(choice).key(keys::kEnter);
    for (const std::string& a : answers) terminal.type(a).key(keys::kEnter);
    return timeIt([&] { commandPass(lb); });
  }
};

// A menu entry timed as a whole process, start-up and exit included, as a user's
// run of the logbook would be: the benchmark starts itself again with "--menu CHOICE
// ANSWER...", and that process (see menuChild) starts the logbook on the scripted
// terminal in the working folder, runs the entry and ends. KIVO_BENCH_WRAP, when
// set, goes in front of that command, e.g. KIVO_BENCH_WRAP="valgrind --tool=callgrind".
inline double menuProcess(const std::string& choice, std::initializer_list<std::string> answers) {
  const char* wrap = std::getenv("KIVO_BENCH_WRAP");
  std::string command = std::string(wrap ? wrap : "") + " '" +
                        std::filesystem::read_symlink("/proc/self/exe").string() + "' --menu '" + choice + "'";
  for (const std::string& a : answers) command += " '" + a + "'";
  return timeIt([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
  });
}

// The far side of menuProcess: true when this process was started to run a menu entry
// (and has run it).
inline bool menuChild(int argc, char** argv) {
  if (argc < 3 || std::string_view(argv[1]) != "--menu") return false;
  BenchStation s;
  s.terminal.ext(keys::kF5).type(argv[2]).key(keys::kEnter);
  for (int i = 3; i < argc; ++i) s.terminal.type(argv[i]).key(keys::kEnter);
  commandPass(s.lb);
  return true;
}

// The plain work the figures are set against: the file copied by cp, and read
// whole by cat, each a process of its own as a user would run them.
inline double copyFile(const std::string& from, const std::string& to) {
  const std::string command = "cp '" + from + "' '" + to + "'";
  return timeIt([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
  });
}
inline double copyAndSync(const std::string& from, const std::string& to) {
  const std::string command = "cp '" + from + "' '" + to + "' && sync '" + to + "'";
  return timeIt([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
  });
}
inline double catFile(const std::string& name) {
  const std::string command = "cat '" + name + "' >/dev/null";
  return timeIt([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
  });
}
inline double readFile(const std::string& name) {
  return timeIt([&] {
    std::ifstream in(name, std::ios::binary);
    static char buf[1 << 20];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    }
  });
}

// The log sizes given on the command line, or 100,000 and 1,000,000.
inline std::vector<long long> benchSizes(int argc, char** argv) {
  std::vector<long long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoll(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  return sizes;
}

// Entities of the benchmarks' worked tables: "ENTITY 000" ...
constexpr int kEntities = 340;

inline std::string entityName(long long i) {
  char name[16];
  std::snprintf(name, sizeof name, "ENTITY %03lld", i % kEntities);
  return name;
}

// Contacts spread over the entities, the bands, three modes and the QSL marks; the
// VHF ones name one of a few hundred squares when `squares` is set.
inline void writeMixedLog(long long records, bool squares) {
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
    if (squares) r.set(Field::COMMENTS, h % 11 >= 9 ? std::string("TNX ") + square : "BENCH");
    r.setSeparators();
    log.write(reinterpret_cast<const char*>(r.bytes.data()), 144);
  }
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

inline void row(const char* what, long long records, double ms, double baseMs, const char* base) {
  std::printf("%-28s %9lld records %10.1f ms   %5.2fx %s\n", what, records, ms, ms / baseMs, base);
}

}  // namespace kivo::bench
