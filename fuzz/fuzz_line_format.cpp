// A log in the older line format: converted on opening, then read whole.
#include "fuzz_support.h"
#include "logbook/records/log_store.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  std::string text(reinterpret_cast<const char*>(data), size);
  // Most inputs are made to look like the format, so that the conversion runs.
  if (text.size() >= 10 && text.find('\n') > 9) text[9] = '\xff';
  std::filesystem::remove("LOG.DAT");
  std::filesystem::remove("LOG.DAT.org");
  fuzz::writeFile("LOG.DAT", text);
  fuzz::FuzzLogbook f;
  fuzz::expectingRuntimeErrors([&] {
    openLog(f.lb, "LOG.DAT");
    for (long long n = 1; n <= recordCount(f.lb) + 1; ++n) readRecord(f.lb, n);
    closeLog(f.lb);
  });
  return 0;
}
