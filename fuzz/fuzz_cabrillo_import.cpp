// The CABRILLO import: the input as the file to convert, through the menu function.
#include "fuzz_support.h"
#include "logbook/interchange/cabrillo_import.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::runImport(data, size, cabrilloImport);
  return 0;
}
