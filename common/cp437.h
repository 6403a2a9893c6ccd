#pragma once
// Code page 437: the bytes stored in every file, and the characters shown for them.
#include <cstdint>

namespace kivo {

// The character shown for a byte; 0x00 and 0xFF show as blanks.
char32_t cp437ToUnicode(uint8_t byte);
// The byte for a typed character, or -1 when code page 437 has none.
int unicodeToCp437(char32_t ch);

}  // namespace kivo
