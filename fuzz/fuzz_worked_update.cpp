// WORKED.CFM from the input, updated by contacts of every category, once on their
// own and once as a run of updates.
#include "fuzz_support.h"
#include "logbook/entities/worked_update.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  fuzz::writeFile("WORKED.CFM", data, size);
  fuzz::writeFile("GRID.SQU", "");
  fuzz::FuzzLogbook f;
  Logbook& lb = f.lb;
  // The first entity name of the table (columns 17-28 of a line long enough) is used.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string name = text.size() > 28 ? text.substr(16, 12) : "USA";
  for (const char* mode : {"CW", "SSB", "FT8"}) {
    lb.record.set(Field::COUNTRY, name);
    lb.record.set(Field::MODE, mode);
    lb.record.set(Field::FREQ, "14.025");
    lb.record.set(Field::SR, " L");
    lb.record.set(Field::COMMENTS, text.substr(0, std::min<size_t>(text.size(), 38)));
    lb.record.setSeparators();
    fuzz::expectingRuntimeErrors([&] { updateWorkedTables(lb); });
    beginWorkedBatch(lb);
    fuzz::expectingRuntimeErrors([&] { updateWorkedTables(lb); });
    endWorkedBatch(lb);
  }
  return 0;
}
