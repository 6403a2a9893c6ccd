// The CABRILLO import: the input as the file to convert, through the menu function.
#include "fuzz_support.h"
#include "logbook/interchange/cabrillo_import.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  fuzz::writeFile("IN.TXT", data, size);
  fuzz::FuzzLogbook f;
  f.terminal.type("IN.TXT").key(keys::kEnter);
  fuzz::expectingRuntimeErrors([&] {
    OutputFile out("OUT.DAT");
    cabrilloImport(f.lb, out);
    out.commit();
  });
  return 0;
}
