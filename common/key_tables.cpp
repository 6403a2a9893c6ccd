#include "common/key_tables.h"

namespace kivo {

namespace {

// The scan codes of Alt with the letters A to Z on the PC keyboard.
constexpr unsigned char kAltScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

}  // namespace

std::string altKey(unsigned char letter) {
  int upper = letter >= 'a' ? letter - 'a' : letter - 'A';
  return keys::extended(kAltScan[upper]);
}

std::string tildeKey(int n) {
  switch (n) {
    case 1:
    case 7: return keys::extended(keys::kHome);
    case 2: return keys::extended(keys::kInsert);
    case 3: return keys::extended(keys::kDelete);
    case 4:
    case 8: return keys::extended(keys::kEnd);
    case 5: return keys::extended(keys::kPgUp);
    case 6: return keys::extended(keys::kPgDn);
    case 11: return keys::extended(keys::kF1);
    case 12: return keys::extended(keys::kF2);
    case 13: return keys::extended(keys::kF3);
    case 14: return keys::extended(keys::kF4);
    case 15: return keys::extended(keys::kF5);
    case 17: return keys::extended(keys::kF6);
    case 18: return keys::extended(0x41);  // F7 to F10, F11 and F12: the PC codes,
    case 19: return keys::extended(0x42);  // which the programs simply ignore
    case 20: return keys::extended(0x43);
    case 21: return keys::extended(0x44);
    case 23: return keys::extended(0x85);
    case 24: return keys::extended(0x86);
    default: return {};
  }
}

// rxvt sends a-d for the arrows with Shift (CSI) or Ctrl (SS3); the modifier is dropped.
std::string letterKey(unsigned char f) {
  switch (f) {
    case 'A':
    case 'a': return keys::extended(keys::kUp);
    case 'B':
    case 'b': return keys::extended(keys::kDown);
    case 'C':
    case 'c': return keys::extended(keys::kRight);
    case 'D':
    case 'd': return keys::extended(keys::kLeft);
    case 'H': return keys::extended(keys::kHome);
    case 'F': return keys::extended(keys::kEnd);
    case 'P': return keys::extended(keys::kF1);
    case 'Q': return keys::extended(keys::kF2);
    case 'R': return keys::extended(keys::kF3);
    case 'S': return keys::extended(keys::kF4);
    default: return {};
  }
}

std::string plainKey(unsigned char c) {
  if (c == '\n' || c == '\r') return keys::kEnter;
  if (c == 0x7F || c == 0x08) return keys::kBackspace;
  if (c == 0) return {};  // Ctrl-Space: the console had no byte for it
  return std::string(1, static_cast<char>(c));
}

std::string keypadKey(unsigned char f) {
  if (f == 'M') return keys::kEnter;
  if (f >= 'p' && f <= 'y') return std::string(1, static_cast<char>('0' + (f - 'p')));
  if (f >= 'j' && f <= 'o') return std::string(1, "*+,-./"[f - 'j']);
  if (f == 'X') return "=";
  return {};
}

}  // namespace kivo
