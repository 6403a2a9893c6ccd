#include <gtest/gtest.h>

#include <string>

#include "common/cp437.h"

namespace kivo {
namespace {

// Decodes UTF-8 text written in this file into characters.
std::u32string fromUtf8(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
    out.push_back(cp);
    i += static_cast<size_t>(n);
  }
  return out;
}

// The code page as it is printed in every PC reference, row by row.
const char* const kLowGlyphs = "☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
const char* const kHighGlyphs =
    "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»"
    "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    "αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■";

TEST(Cp437, EveryByteShowsItsPrintedGlyph) {
  std::u32string low = fromUtf8(kLowGlyphs);
  std::u32string high = fromUtf8(kHighGlyphs);
  ASSERT_EQ(low.size(), 31u);
  ASSERT_EQ(high.size(), 127u);
  for (int b = 1; b < 32; ++b) EXPECT_EQ(cp437ToUnicode(static_cast<uint8_t>(b)), low[static_cast<size_t>(b - 1)]) << b;
  for (int b = 32; b < 127; ++b) EXPECT_EQ(cp437ToUnicode(static_cast<uint8_t>(b)), static_cast<char32_t>(b)) << b;
  EXPECT_EQ(cp437ToUnicode(0x7F), U'\u2302');
  for (int b = 128; b < 255; ++b)
    EXPECT_EQ(cp437ToUnicode(static_cast<uint8_t>(b)), high[static_cast<size_t>(b - 128)]) << b;
}

TEST(Cp437, NulAndSeparatorShowAsBlanks) {
  EXPECT_EQ(cp437ToUnicode(0x00), U' ');
  EXPECT_EQ(cp437ToUnicode(0xFF), U' ');
  EXPECT_EQ(cp437ToUnicode(0xB3), U'\u2502');
}

TEST(Cp437, TypedCharactersRoundTripToTheirByte) {
  for (int b = 1; b < 255; ++b) {
    EXPECT_EQ(unicodeToCp437(cp437ToUnicode(static_cast<uint8_t>(b))), b) << "byte " << b;
  }
  EXPECT_EQ(unicodeToCp437(U'\u00A0'), 0xFF);  // no-break space is the code page's last byte
  EXPECT_EQ(unicodeToCp437(U'é'), 0x82);
  EXPECT_EQ(unicodeToCp437(U'Ä'), 0x8E);
  EXPECT_EQ(unicodeToCp437(U'β'), 0xE1);  // a look-alike typed on a Greek keyboard
}

TEST(Cp437, CharactersOutsideTheCodePageHaveNoByte) {
  EXPECT_EQ(unicodeToCp437(U'€'), -1);
  EXPECT_EQ(unicodeToCp437(U'Ł'), -1);
  EXPECT_EQ(unicodeToCp437(U'\u4E2D'), -1);
  EXPECT_EQ(unicodeToCp437(U'\U0001F600'), -1);
  EXPECT_EQ(unicodeToCp437(0x110000), -1);
}

}  // namespace
}  // namespace kivo
