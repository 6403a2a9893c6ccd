// Times the ADIF import (F5, 8) and the Cabrillo import (F5, 6), each a whole
// process of the logbook, against cat of the same file, made in the same run; each
// figure is the median of the repeats. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target import_bench
//   build/bench/import_bench [adif-records [cabrillo-qsos [repeats]]]   (1000000 100000 3)
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// One record per line, as WSJT-X and most loggers write it; or one field per line
// with a blank line after the record, as others do.
void writeAdif(const std::string& name, long long records, bool fieldPerLine) {
  std::ofstream out(name, std::ios::binary);
  out << "Generated for the benchmark\r\n<ADIF_VER:5>3.1.0\r\n<EOH>\r\n";
  const char* gap = fieldPerLine ? "\r\n" : " ";
  for (long long i = 1; i <= records; ++i) {
    const std::string call = "K" + std::to_string(i % 1000000);
    out << "<call:" << call.size() << '>' << call << gap << "<gridsquare:4>FN42" << gap << "<mode:3>FT8" << gap
        << "<rst_sent:3>-05" << gap << "<rst_rcvd:3>-12" << gap << "<qso_date:8>2024" << (10 + i % 3) << "1" << i % 10
        << gap << "<time_on:6>1351" << (10 + i % 50) << gap << "<time_off:6>135336" << gap << "<band:3>30m" << gap
        << "<freq:9>10.137129" << gap << "<station_callsign:5>EI3KF" << gap << "<tx_pwr:2>10" << gap << "<eor>\r\n";
    if (fieldPerLine) out << "\r\n";
  }
}

void writeCabrillo(const std::string& name, long long qsos) {
  std::ofstream out(name, std::ios::binary);
  out << "START-OF-LOG: 3.0\r\nCONTEST: IARU-HF\r\nCALLSIGN: GB0WR\r\n";
  char line[128];
  for (long long i = 1; i <= qsos; ++i) {
    std::snprintf(line, sizeof line,
                  "QSO: %5d CW 2025-07-12 %02lld%02lld GB0WR         599 27     %-13s 599 29     0\r\n",
                  i % 2 ? 14046 : 7025, i / 60 % 24, i % 60, ("UA" + std::to_string(i)).c_str());
    out << line;
  }
  out << "END-OF-LOG:\r\n";
}

// The new log is synced to the disk before it takes its name, which cat never does:
// cat of the file together with cp + sync of the new log is the floor that includes it.
void compare(const char* what, long long records, const std::string& choice, const std::string& file, int repeats) {
  std::vector<double> runs, cats, floors;
  for (int k = 0; k < repeats; ++k) {
    const double cat = catFile(file);
    cats.push_back(cat);
    runs.push_back(menuProcess(choice, {"NEW.DAT", file}));
    if (fileLength("NEW.DAT") != records * static_cast<long long>(kRecordSize))
      std::fprintf(stderr, "%s: a short log\n", what);
    floors.push_back(cat + copyAndSync("NEW.DAT", "COPY.DAT"));
  }
  row(what, records, median(runs), median(cats), "cat");
  row(what, records, median(runs), median(floors), "cat + cp + sync of the new log");
  std::printf("%-28s %9lld records %10.1f ms   (%lld MB)\n", "cat of the file", records, median(cats),
              fileLength(file) >> 20);
}

}  // namespace

int main(int argc, char** argv) {
  if (menuChild(argc, argv)) return 0;
  const long long adifRecords = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const long long qsos = argc > 2 ? std::atoll(argv[2]) : 100000;
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
  ScratchDir dir;
  writeTables();
  writeAdif("LINES.ADI", adifRecords, false);
  compare("ADIF, a record a line", adifRecords, "8", "LINES.ADI", repeats);
  writeAdif("FIELDS.ADI", adifRecords, true);
  compare("ADIF, a field a line", adifRecords, "8", "FIELDS.ADI", repeats);
  writeCabrillo("CONTEST.LOG", qsos);
  compare("Cabrillo", qsos, "6", "CONTEST.LOG", repeats);
  return 0;
}
