#pragma once
// Files of the working folder read and written byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kivo::testing {

void writeFile(const std::string& name, const std::string& bytes);
void writeFile(const std::string& name, const uint8_t* data, size_t size);
std::string readFile(const std::string& name);
bool exists(const std::string& name);

// The source tree, for the demo station files: $KIVO_SOURCE_DIR, else the folder the
// build was configured from, else ".".
std::string sourceDir();

}  // namespace kivo::testing
