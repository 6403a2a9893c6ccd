// A LOTW confirmation file against a small log: matched, marked, the tables updated.
#include "fuzz_support.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/lotw_update.h"
#include "logbook/records/log_store.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterStation();
  std::string log;
  for (int i = 0; i < 8; ++i) {
    LogRecord r;
    r.set(Field::DATE, i % 2 ? "04 JUL 05" : "01 JAN 26");
    r.set(Field::FREQ, i % 3 ? "14.025" : "5.357");
    r.set(Field::TIME, i % 2 ? "1234" : "2359");
    r.set(Field::STATION, i % 2 ? "Q1QQ" : "K1A");
    r.set(Field::COUNTRY, "USA");
    r.set(Field::SR, i % 4 ? "  " : " X");
    r.setSeparators();
    log.append(reinterpret_cast<const char*>(r.bytes.data()), kRecordSize);
  }
  fuzz::writeFile("LOGMAIN.DAT", log);
  fuzz::writeFile("LOTW.ADI", data, size);
  fuzz::FuzzLogbook f;
  f.terminal.ext(keys::kF3);
  fuzz::expectingRuntimeErrors([&] {
    openLog(f.lb, "LOGMAIN.DAT");
    TextReader in;
    in.open("LOTW.ADI");
    beginWorkedBatch(f.lb);
    lotwUpdate(f.lb, in);
    endWorkedBatch(f.lb);
    closeLog(f.lb);
  });
  return 0;
}
