// The drop file KIVOLOG.IN: read, then the new-contact line filled from it.
#include "fuzz_support.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/realtime.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_store.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterStation();
  fuzz::FuzzLogbook f;
  fuzz::expectingRuntimeErrors([&] {
    startLogbook(f.lb);
    buildScreen(f.lb);
    fuzz::writeFile(kDropFile, data, size);
    checkDropFile(f.lb);
    if (f.lb.autoLog.pending) autoLogFill(f.lb);
    f.terminal.key(keys::kEnter);
    commandPass(f.lb);
    closeLog(f.lb);
  });
  // Nothing from the file may land on a separator cell of the record just written.
  return 0;
}
