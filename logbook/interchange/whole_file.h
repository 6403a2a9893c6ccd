#pragma once
// Files of other programs read whole, whatever their lines: an ADIF file may have
// none at all, so the line readers' limit does not apply here.
#include <string>

namespace kivo {

// False (with errno's value in `error`) when the file cannot be read.
bool readWholeBytes(const std::string& path, std::string& bytes, int& error);

}  // namespace kivo
