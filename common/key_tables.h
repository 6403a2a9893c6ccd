#pragma once
// The keys of the original console for what terminals send: each gives the key as
// text (one byte, or 0x00 and the PC scan code), or an empty text for none.
#include <string>

#include "common/terminal.h"

namespace kivo {

// Alt with a letter, either case.
std::string altKey(unsigned char letter);
// The "Esc [ n ~" family (xterm, the Linux console, rxvt, tmux), by its number.
std::string tildeKey(int n);
// Cursor and function keys by the final letter, shared by the Esc [ and Esc O forms.
std::string letterKey(unsigned char final);
// The keypad in application mode (Esc O and a letter).
std::string keypadKey(unsigned char final);
// A plain byte as the console gave it: Enter is CR, Backspace is 8.
std::string plainKey(unsigned char c);

}  // namespace kivo
