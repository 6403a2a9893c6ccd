#include "common/fatal.h"

#include <cerrno>

namespace kivo {

const char* errorText(int number) {
  switch (number) {
    case kIllegalFunctionCall: return "illegal function call";
    case kFileNotFound: return "file not found";
    case kFileIoError: return "file I/O error";
    case kOutOfMemory: return "out of memory";
    default: return "unprintable error";
  }
}

static std::string baseMessage(int number) {
  return "Aborting due to runtime error " + std::to_string(number) + " (" + errorText(number) + ")";
}

RuntimeError::RuntimeError(int number, std::string place)
    : std::runtime_error(baseMessage(number)), number_(number), place_(std::move(place)) {}

std::string errorMessage(const RuntimeError& error) {
  std::string text = baseMessage(error.number());
  if (!error.place().empty()) text += " in " + error.place();
  return text;
}

void fail(int number, const std::string& place) { throw RuntimeError(number, place); }

int errorNumberFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return kFileNotFound;
    case ENOMEM: return kOutOfMemory;
    default: return kFileIoError;
  }
}

}  // namespace kivo
