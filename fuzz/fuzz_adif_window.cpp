// kivoconv reads an ADIF file a window at a time: the records, their places and the
// header through windows of a size the input's first byte picks must be those the
// scanner gives over the whole text.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "logbook/interchange/adif_reader.h"
#include "logbook/interchange/input_window.h"

using namespace kivo;

namespace {

std::string describe(const AdifRecord& r, long long base, const std::vector<AdifField>* header) {
  std::string out = std::to_string(base + static_cast<long long>(r.begin)) + "-" +
                    std::to_string(base + static_cast<long long>(r.end)) + (r.closed ? "c" : "o");
  for (const AdifField& f : r.fields) out.append(f.name).append("=").append(f.value).append(";");
  if (header)
    for (const AdifField& f : *header) out.append("h:").append(f.name).append("=").append(f.value).append(";");
  return out + "\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t window = 1 + data[0] % 64;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  fuzz::enterScratchFolder();
  fuzz::writeFile("IN.ADI", std::string(text));

  std::string whole;
  AdifScanner scanner(text);
  AdifRecord r;
  for (bool first = true; scanner.next(r); first = false) whole += describe(r, 0, first ? &scanner.header() : nullptr);

  InputWindow in;
  int error = 0;
  if (!in.open("IN.ADI", error, window)) __builtin_trap();
  AdifWindowScanner windowed(in);
  std::string parts;
  for (bool first = true; windowed.next(r); first = false)
    parts += describe(r, in.base(), first ? &windowed.header() : nullptr);
  if (in.error() != 0 || parts != whole) __builtin_trap();
  return 0;
}
