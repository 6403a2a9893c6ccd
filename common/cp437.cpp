#include "common/cp437.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kivo {

namespace {

// The glyphs of the original display adapter. 0x00 and 0xFF are stored as blanks on
// purpose: on the console both looked empty, and the separator byte 0xFF must not
// show as anything else.
constexpr std::array<char32_t, 256> kGlyphs = [] {
  std::array<char32_t, 256> t{};
  constexpr char32_t low[32] = {
      0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // 00-07
      0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // 08-0F
      0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // 10-17
      0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // 18-1F
  };
  constexpr char32_t high[128] = {
      0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
      0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
      0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
      0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
      0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
      0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
      0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
      0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
      0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
      0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
      0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
      0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
      0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
      0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
      0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
      0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x0020,  // F8
  };
  for (int i = 0; i < 32; ++i) t[static_cast<size_t>(i)] = low[i];
  for (int i = 32; i < 127; ++i) t[static_cast<size_t>(i)] = static_cast<char32_t>(i);
  t[127] = 0x2302;
  for (int i = 0; i < 128; ++i) t[static_cast<size_t>(128 + i)] = high[i];
  return t;
}();

using Entry = std::pair<char32_t, uint8_t>;

// Characters typed on today's keyboards that the code page has under a look-alike.
constexpr Entry kAliases[] = {
    {0x00A0, 0xFF},  // no-break space: the code page's own last byte
    {0x03B2, 0xE1},  // Greek beta, drawn like the sharp s
    {0x03BC, 0xE6},  // Greek mu, drawn like the micro sign
    {0x2126, 0xEA},  // ohm sign, drawn like omega
    {0x2211, 0xE4},  // n-ary sum, drawn like sigma
    {0x2208, 0xEE},  // element of, drawn like epsilon
};

struct Reverse {
  std::array<Entry, 32 + 1 + 127 + std::size(kAliases)> entries{};
  size_t size = 0;
  Reverse() {
    auto add = [this](char32_t ch, uint8_t byte) { entries[size++] = {ch, byte}; };
    for (int b = 1; b < 32; ++b) add(kGlyphs[static_cast<size_t>(b)], static_cast<uint8_t>(b));
    for (int b = 127; b < 255; ++b) add(kGlyphs[static_cast<size_t>(b)], static_cast<uint8_t>(b));
    for (const Entry& e : kAliases) add(e.first, e.second);
    std::sort(entries.begin(), entries.begin() + static_cast<long>(size));
  }
};

}  // namespace

char32_t cp437ToUnicode(uint8_t byte) { return kGlyphs[byte]; }

int unicodeToCp437(char32_t ch) {
  if (ch < 0x80) return static_cast<int>(ch);
  static const Reverse reverse;
  auto end = reverse.entries.begin() + static_cast<long>(reverse.size);
  auto it = std::lower_bound(reverse.entries.begin(), end, Entry{ch, 0});
  if (it == end || it->first != ch) return -1;
  return it->second;
}

}  // namespace kivo

namespace kivo {

std::string toUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) {
    char32_t c = cp437ToUnicode(static_cast<uint8_t>(b));
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace kivo
