// The radio's transfer file: read, and the real-time fill of the new-contact line.
#include "fuzz_support.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/realtime.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_store.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterStation();
  fuzz::writeFile("RIGXFER.OUT", data, size);
  fuzz::FuzzLogbook f;
  fuzz::expectingRuntimeErrors([&] {
    startLogbook(f.lb);
    f.lb.browse.realTimeMode = true;
    buildScreen(f.lb);
    readTransferFile(f.lb);
    (void)radioPower(f.lb.radio, true);
    radioFill(f.lb);
    closeLog(f.lb);
  });
  return 0;
}
