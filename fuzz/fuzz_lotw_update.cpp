// A LOTW confirmation file against a small log: matched, marked, the tables updated.
#include "fuzz_support.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/lotw_update.h"
#include "logbook/records/log_store.h"
#include "tests/support/records.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterStation();
  std::string log;
  for (int i = 0; i < 8; ++i) {
    testing::ContactFields c;
    c.date = i % 2 ? "04 JUL 05" : "01 JAN 26";
    c.freq = i % 3 ? "14.025" : "5.357";
    c.time = i % 2 ? "1234" : "2359";
    c.call = i % 2 ? "Q1QQ" : "K1A";
    c.sr = i % 4 ? "  " : " X";
    log += testing::recordBytes(testing::recordOf(c));
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
