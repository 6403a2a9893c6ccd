// COUNTRY.DAT read from the input, then every line of it tried as a callsign.
#include "fuzz_support.h"
#include "logbook/entities/country_table.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  fuzz::writeFile("COUNTRY.DAT", data, size);
  fuzz::expectingRuntimeErrors([&] {
    CountryTable table = loadCountryTable("COUNTRY.DAT");
    std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      (void)lookupEntity(table, std::string_view(text).substr(start, std::min<size_t>(end - start, 40)));
      start = end + 1;
    }
    (void)lookupEntity(table, "K1ABC/P");
  });
  return 0;
}
