// The terminal's bytes in pieces, the clock moving on, under each reading of bytes
// above 0x7F: keys and mouse states come out, never anything else.
#include "common/key_decoder.h"
#include "fuzz_support.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (HighBytes h : {HighBytes::kUtf8, HighBytes::kMeta, HighBytes::kUtf8OrLatin1}) {
    KeyDecoder decoder(h);
    int64_t now = 0;
    for (size_t i = 0; i < size;) {
      const size_t piece = std::min<size_t>(1 + data[i] % 7, size - i);
      decoder.feed(std::string_view(reinterpret_cast<const char*>(data) + i, piece), now);
      i += piece;
      now += data[i - 1] % 50;
      for (std::string k = decoder.nextKey(now); !k.empty(); k = decoder.nextKey(now))
        if (k.size() > 2 || (k.size() == 2 && k[0] != '\0')) std::abort();
      (void)decoder.takeMouse();
    }
    (void)decoder.nextKey(now + 1000);
  }
  return 0;
}
