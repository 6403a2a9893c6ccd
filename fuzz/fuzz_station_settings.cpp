// KIVOLOG.INI from the input, loaded, saved and loaded again: the same values.
#include "fuzz_support.h"
#include "logbook/records/station_settings.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  fuzz::writeFile("KIVOLOG.INI", data, size);
  fuzz::FuzzLogbook f;
  fuzz::expectingRuntimeErrors([&] {
    loadStationSettings(f.lb);
    const StationSettings first = f.lb.settings;
    bool quoted = false;
    for (const std::string* v : first.values()) quoted |= v->find('"') != std::string::npos;
    saveStationSettings(f.lb);
    loadStationSettings(f.lb);
    // A value without a double quote survives the round trip.
    if (!quoted && !(f.lb.settings == first)) std::abort();
  });
  return 0;
}
