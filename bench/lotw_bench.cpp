// Times the LOTW export (F5, 9) against cp + sync of the log, and the confirmation
// update (F5, 10) against cp of the log, each a whole process of the logbook, in the
// same run; each figure is the median of the repeats. Run on demand:
//   cmake -S . -B build -DKIVO_BENCH=ON && cmake --build build --target lotw_bench
//   build/bench/lotw_bench [records [confirmations [repeats]]]      (1000000 100000 3)
#include <cstdlib>
#include <fstream>
#include <vector>

#include "bench_support.h"
#include "logbook/interchange/band_ranges.h"

using namespace kivo;
using namespace kivo::bench;

namespace {

// Confirmations as LOTW writes them: one field per line, CR LF, a blank line
// between records, fields the update does not read, text after a value.
void writeConfirmations(const std::string& name, long long records, long long confirmations) {
  std::ofstream out(name, std::ios::binary);
  out << "ARRL Logbook of the World Status Report\r\nGenerated at 2018-01-19 05:11:21\r\nfor q1qq\r\n"
         "Query:\r\n   QSL ONLY: YES\r\n\r\n<PROGRAMID:4>LoTW\r\n\r\n<eoh>\r\n\r\n";
  const long long step = records / confirmations > 0 ? records / confirmations : 1;
  for (long long k = 0; k < confirmations; ++k) {
    const LogRecord r = benchRecord(1 + (k * step) % records);
    std::string call = r.get(Field::STATION);
    call.erase(call.find_last_not_of(' ') + 1);
    out << "<APP_LoTW_OWNCALL:4>Q1QQ\r\n<STATION_CALLSIGN:4>Q1QQ\r\n<MY_DXCC:3>291\r\n"
        << "<CALL:" << call.size() << ">" << call << "\r\n<BAND:3>20M\r\n<FREQ:8>14.02500\r\n<MODE:2>CW\r\n"
        << "<QSO_DATE:8>" << adifDate(r) << "\r\n<TIME_ON:6>" << r.get(Field::TIME) << "00\r\n"
        << "<QSL_RCVD:1>Y\r\n<QSLRDATE:8>20180119\r\n<DXCC:3>291\r\n<COUNTRY:24>UNITED STATES OF AMERICA\r\n"
        << "<CQZ:2>05\r\n<ITUZ:2>08\r\n<GRIDSQUARE:6>fm19ne\r\n<STATE:2>MD // Maryland\r\n<eor>\r\n\r\n";
  }
  out << "<APP_LoTW_EOF>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (menuChild(argc, argv)) return 0;
  const long long n = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const long long m = argc > 2 ? std::atoll(argv[2]) : 100000;
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
  ScratchDir dir;
  writeTables();
  writeLog("UNMARKED.DAT", n);
  writeConfirmations("LOTW.ADI", n, m);
  std::vector<double> copies, syncs, exportSyncs, exports, markings, agains;
  for (int k = 0; k < repeats; ++k) {
    copyFile("UNMARKED.DAT", "LOGMAIN.DAT");  // every round starts from a log without LOTW marks
    copies.push_back(copyFile("LOGMAIN.DAT", "COPY.DAT"));
    syncs.push_back(copyAndSync("LOGMAIN.DAT", "COPY2.DAT"));
    exports.push_back(menuProcess("9", {"UPLOAD.ADI", "N", "Q1QQ", "NA", "05", "08", "", "FM19", "MD", "HOWARD"}));
    exportSyncs.push_back(copyAndSync("UPLOAD.ADI", "COPY3.ADI"));  // the bytes the export itself must sync
    markings.push_back(menuProcess("10", {"LOTW.ADI"}));
    agains.push_back(menuProcess("10", {"LOTW.ADI"}));
  }
  const double copy = median(copies), cpSync = median(syncs);
  row("ADIF export (F5, 9)", n, median(exports), cpSync, "cp + sync of the log");
  row("ADIF export (F5, 9)", n, median(exports), median(exportSyncs), "cp + sync of the export");
  row("LOTW update, all marked", n, median(markings), copy, "cp of the log");
  row("LOTW update, all marked", n, median(markings), cpSync, "cp + sync of the log");
  row("LOTW update, none changed", n, median(agains), copy, "cp of the log");
  std::printf("%-28s %9lld confirmations %6.1f MB, export %.1f MB\n", "confirmation file", m,
              static_cast<double>(fileLength("LOTW.ADI")) / 1e6, static_cast<double>(fileLength("UPLOAD.ADI")) / 1e6);
  std::printf("%-28s %9lld records %10.1f ms\n%-28s %9lld records %10.1f ms\n%-28s %22.1f ms\n", "cp of the log", n,
              copy, "cp + sync of the log", n, cpSync, "cp + sync of the export", median(exportSyncs));
  return 0;
}
