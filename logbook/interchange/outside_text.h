#pragma once
// Text between the log's code page and the files of other programs. Files written
// elsewhere hold UTF-8, or single bytes of Latin-1 where a byte starts no UTF-8
// character; the log holds code page 437; ADIF files are written in ASCII.
#include <string>
#include <string_view>

namespace kivo {

// The characters of an outside text in code page 437, as a typed character would be
// stored: a character the code page lacks is dropped, control characters and the
// bytes that would break a record (0x00, the separator 0xFF) become blanks.
std::string codePageText(std::string_view outside);

// Code page 437 text in ASCII: a letter with an accent or another letter of the code
// page becomes its nearest ASCII letter (é e, ß s, Ω O); anything else outside ASCII,
// and control bytes, become "?" and blanks.
std::string asciiText(std::string_view codePage);

}  // namespace kivo
