// GRID.SQU from the input, loaded and updated with a worked and a confirmed square.
#include "fuzz_support.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::enterScratchFolder();
  fuzz::writeFile("GRID.SQU", data, size);
  fuzz::FuzzLogbook f;
  fuzz::expectingRuntimeErrors([&] {
    *f.lb.grid = loadGridTable("GRID.SQU");
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::string square = text.size() >= 4 ? text.substr(0, 4) : "FN31";
    for (const char* sr : {"  ", " X"}) {
      f.lb.record.set(Field::COMMENTS, "#" + square);
      f.lb.record.set(Field::SR, sr);
      f.lb.record.setSeparators();
      updateGridTable(f.lb);
    }
  });
  return 0;
}
