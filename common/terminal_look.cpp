#include "common/terminal_look.h"

#include <climits>
#include <cwchar>

namespace kivo {

// The palette of the original display adapter counts blue as 1 and red as 4; the
// terminal's colour numbers have them the other way round.
int terminalColour(int paletteIndex) {
  enum { kBlack, kRed, kGreen, kYellow, kBlue, kMagenta, kCyan, kWhite };
  static const int kSwap[8] = {kBlack, kBlue, kGreen, kCyan, kRed, kMagenta, kYellow, kWhite};
  return kSwap[paletteIndex & 7] + (paletteIndex & 8);
}

int usableColours(int colors, int pairs) {
  if (colors >= 16 && pairs >= 256) return 16;
  if (colors >= 8 && pairs >= 64) return 8;
  return 0;
}

CellLook cellLook(int fg, int bg, int colours) {
  CellLook look;
  int f = fg & 15;
  look.blink = (fg & 16) != 0;
  if (colours == 16) {
    look.pair = static_cast<short>(terminalColour(f) * 16 + terminalColour(bg));
  } else if (colours == 8) {
    look.pair = static_cast<short>((terminalColour(f) & 7) * 8 + (terminalColour(bg) & 7));
    look.bold = (f & 8) != 0;  // eight colours: the bright ones are bold
  } else {
    look.bold = (f & 8) != 0;
    look.reverse = bg != 0 && bg != 1;  // without colour, at least the marked rows stand out
  }
  return look;
}

wchar_t drawableCharacter(char32_t ch, bool utf8) {
  auto wc = static_cast<wchar_t>(ch);
  if (ch < 0x80 && ch >= 0x20) return wc;
  // A character the terminal would draw two cells wide (or not at all) would shift
  // the rest of the row.
  if (utf8) return wcwidth(wc) == 1 ? wc : L'?';
  char mb[MB_LEN_MAX];
  std::mbstate_t state{};
  bool drawable = ch >= 0xA0 && std::wcrtomb(mb, wc, &state) != static_cast<size_t>(-1) && wcwidth(wc) == 1;
  return drawable ? wc : L'?';
}

char lineDrawingLetter(char32_t ch) {
  struct Stand {
    char letter;
    char32_t chars[6];
  };
  static constexpr Stand kStands[] = {
      {'x', {0x2502, 0x2551}},                  // vertical lines
      {'q', {0x2500, 0x2550}},                  // horizontal lines
      {'l', {0x250C, 0x2554, 0x2552, 0x2553}},  // corners
      {'k', {0x2510, 0x2557, 0x2555, 0x2556}},
      {'m', {0x2514, 0x255A, 0x2558, 0x2559}},
      {'j', {0x2518, 0x255D, 0x255B, 0x255C}},
      {'t', {0x251C, 0x2560, 0x255E, 0x255F}},  // tees
      {'u', {0x2524, 0x2563, 0x2561, 0x2562}},
      {'w', {0x252C, 0x2566, 0x2564, 0x2565}},
      {'v', {0x2534, 0x2569, 0x2567, 0x2568}},
      {'n', {0x253C, 0x256C, 0x256A, 0x256B}},                  // crossings
      {'a', {0x2591, 0x2592, 0x2593}},                          // shades
      {'0', {0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x25A0}},  // blocks
      {'f', {0x00B0}},                                          // degree
      {'g', {0x00B1}},                                          // plus-minus
      {'~', {0x2219, 0x2022, 0x00B7}},                          // bullets
      {'y', {0x2264}},
      {'z', {0x2265}},
      {'{', {0x03C0}},  // pi
      {'-', {0x2191}},  // arrows
      {'.', {0x2193}},
      {'+', {0x2192, 0x25BA}},
      {',', {0x2190, 0x25C4}},
      {'`', {0x2666}},  // diamond
  };
  if (ch == 0) return 0;
  for (const Stand& s : kStands)
    for (char32_t c : s.chars)
      if (c == ch) return s.letter;
  return 0;
}

}  // namespace kivo
