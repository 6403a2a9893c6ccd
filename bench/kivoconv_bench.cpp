// kivoconv at a million contacts, set against cat and cp + sync in the same run:
// the import of an ADIF file of one record a line (tables included) against cat of
// that file, and against its floor, cat of the file with cp + sync of the new log
// (the import must write and sync those 144 MB too); the export of the log against
// cp + sync of the log. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target kivoconv_bench
//   build/bench/kivoconv_bench [records [repeats]]   (1000000 3)
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "logbook/interchange/log_export.h"
#include "logbook/interchange/log_import.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// Processor time of this process so far, both threads of the import included: on a
// shared machine it varies less than the wall time.
double cpuMillis() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Calls of many prefixes and entities, as a large log of a DX station holds them.
void writeAdif(const std::string& name, long long records) {
  static const char* prefixes[] = {"K", "W", "N", "DL", "G", "JA", "VK", "UA", "EA", "I", "F", "PY", "ZL", "SP", "OK"};
  std::ofstream out(name, std::ios::binary);
  out << "Generated for the benchmark\r\n<ADIF_VER:5>3.1.4\r\n<EOH>\r\n";
  for (long long i = 1; i <= records; ++i) {
    const unsigned long long h = static_cast<unsigned long long>(i) * 2654435761ull;
    const std::string call = std::string(prefixes[h % 15]) + std::to_string(h % 10) + char('A' + (h >> 8) % 26) +
                             char('A' + (h >> 13) % 26) + char('A' + (h >> 18) % 26);
    const std::string date = std::to_string(1990 + (h >> 24) % 35) + "0" + std::to_string(1 + (h >> 30) % 9) + "1" +
                             std::to_string((h >> 34) % 10);
    char time[8];
    std::snprintf(time, sizeof time, "%02llu%02llu", (h >> 38) % 24, (h >> 44) % 60);
    out << "<call:" << call.size() << '>' << call << " <gridsquare:4>FN42 <mode:3>FT8 <rst_sent:3>-05 "
        << "<rst_rcvd:3>-12 <qso_date:8>" << date << " <time_on:4>" << time << " <band:3>30m <freq:9>10.137129 "
        << "<station_callsign:5>EI3KF <tx_pwr:2>10 <eor>\r\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long long records = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  ScratchDir dir;
  writeTables();
  writeAdif("LINES.ADI", records);
  std::vector<double> cats, imports, cpus, copies, floors, exports, exportCopies;
  long long added = 0;
  for (int k = 0; k < repeats; ++k) {
    cats.push_back(catFile("LINES.ADI"));
    std::remove("LOGMAIN.DAT");
    std::ofstream("WORKED.CFM") << "TABLE\r\nEND\r\n";
    std::ofstream("GRID.SQU") << "";
    ScriptedTerminal terminal;
    Console console(terminal);
    Logbook lb(console);
    ImportRequest request;
    request.inputs = {"LINES.ADI"};
    const double cpu = cpuMillis();
    imports.push_back(timeIt([&] { added = importContacts(request, lb, nullptr)[0].added; }));
    cpus.push_back(cpuMillis() - cpu);
    copies.push_back(copyAndSync("LOGMAIN.DAT", "COPY.DAT"));
    floors.push_back(cats.back() + copies.back());
    ExportRequest out;
    out.output = "OUT.ADI";
    out.timestamp = "20261208 120000";
    exports.push_back(timeIt([&] { exportLog(out); }));
    exportCopies.push_back(copyAndSync("OUT.ADI", "COPY.ADI"));  // the bytes the export itself must sync
  }
  std::printf("%lld records in the file, %lld added (%lld MB of ADIF)\n", records, added,
              fileLength("LINES.ADI") >> 20);
  row("kivoconv import, tables too", records, median(imports), median(cats), "cat");
  row("kivoconv import, tables too", records, median(imports), median(floors), "cat + cp + sync of the new log");
  std::printf("%-28s %9lld records %10.1f ms   cp + sync of the log %.1f ms; import's processor time %.1f ms\n",
              "cat of the file", records, median(cats), median(copies), median(cpus));
  row("kivoconv export", records, median(exports), median(copies), "cp + sync");
  row("kivoconv export", records, median(exports), median(exportCopies), "cp + sync of the export");
  std::printf("%-28s %9lld MB, cp + sync of it %.1f ms\n", "the export", fileLength("OUT.ADI") >> 20,
              median(exportCopies));
  return 0;
}
