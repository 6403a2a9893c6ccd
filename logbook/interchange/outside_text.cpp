#include "logbook/interchange/outside_text.h"

#include "common/cp437.h"

namespace kivo {

namespace {

// The length of a well-formed UTF-8 character at `at` and its code point; 0 when the
// bytes there are none.
size_t utf8At(std::string_view text, size_t at, char32_t& ch) {
  const auto b0 = static_cast<unsigned char>(text[at]);
  size_t n = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
  if (n == 0 || at + n > text.size()) return 0;
  char32_t cp = b0 & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(text[at + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  ch = cp;
  return n;
}

// U+00C0 to U+00FF, letter by letter.
constexpr std::string_view kLatin1Letters = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYPsaaaaaaaceeeeiiiidnooooo/ouuuuypy";

char nearestAscii(char32_t ch) {
  if (ch >= 0xC0 && ch <= 0xFF) return kLatin1Letters[ch - 0xC0];
  switch (ch) {
    case 0x00A2: return 'c';
    case 0x00A3: return 'L';
    case 0x00A5: return 'Y';
    case 0x00AA: return 'a';
    case 0x00B5: return 'u';
    case 0x00BA: return 'o';
    case 0x0192: return 'f';
    case 0x0393: return 'G';
    case 0x0398: return 'T';
    case 0x03A3: return 'S';
    case 0x03A6: return 'F';
    case 0x03A9: return 'O';
    case 0x03B1: return 'a';
    case 0x03B4: return 'd';
    case 0x03B5: return 'e';
    case 0x03C0: return 'p';
    case 0x03C3: return 's';
    case 0x03C4: return 't';
    case 0x03C6: return 'f';
    case 0x207F: return 'n';
    default: return '?';
  }
}

}  // namespace

std::string codePageText(std::string_view outside) {
  std::string out;
  out.reserve(outside.size());
  for (size_t i = 0; i < outside.size();) {
    const auto b = static_cast<unsigned char>(outside[i]);
    if (b < 0x80) {
      out.push_back(b < 0x20 || b == 0x7F ? ' ' : static_cast<char>(b));
      ++i;
      continue;
    }
    char32_t ch = b;  // Latin-1 unless a UTF-8 character starts here
    const size_t n = utf8At(outside, i, ch);
    i += n ? n : 1;
    const int byte = unicodeToCp437(ch);
    if (byte < 0) continue;
    out.push_back(byte == 0xFF || byte < 0x20 ? ' ' : static_cast<char>(byte));
  }
  return out;
}

std::string asciiText(std::string_view codePage) {
  std::string out(codePage);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || b == 0xFF) {
      c = ' ';
    } else if (b >= 0x80) {
      c = nearestAscii(cp437ToUnicode(b));
    }
  }
  return out;
}

}  // namespace kivo
