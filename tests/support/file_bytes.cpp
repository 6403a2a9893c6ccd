#include "tests/support/file_bytes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kivo::testing {

void writeFile(const std::string& name, const uint8_t* data, size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeFile(const std::string& name, const std::string& bytes) {
  writeFile(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& name) { return std::filesystem::exists(name); }

std::string sourceDir() {
  const char* env = std::getenv("KIVO_SOURCE_DIR");
  if (env && *env) return env;
#ifdef KIVO_SOURCE_DIR
  return KIVO_SOURCE_DIR;
#else
  return ".";
#endif
}

}  // namespace kivo::testing
