#pragma once
// Code page 437: the bytes stored in every file, and the characters shown for them.
#include <cstdint>
#include <string>
#include <string_view>

namespace kivo {

// The character shown for a byte; 0x00 and 0xFF show as blanks.
char32_t cp437ToUnicode(uint8_t byte);
// The byte for a typed character, or -1 when code page 437 has none.
int unicodeToCp437(char32_t ch);

}  // namespace kivo

namespace kivo {

// The bytes as UTF-8 text, each shown as the character code page 437 gives it.
std::string toUtf8(std::string_view bytes);

}  // namespace kivo
