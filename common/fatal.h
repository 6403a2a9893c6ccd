#pragma once
// The runtime error: every failing file or console step ends the program with a
// numbered message and that number as the exit status.
#include <stdexcept>
#include <string>

namespace kivo {

enum ErrorNumber {
  kIllegalFunctionCall = 1,
  kFileNotFound = 2,
  kFileIoError = 3,
  kOutOfMemory = 4,
};

const char* errorText(int number);

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, std::string place);
  int number() const { return number_; }
  const std::string& place() const { return place_; }

 private:
  int number_;
  std::string place_;
};

// "Aborting due to runtime error N (text)", followed by " in <place>" when known.
std::string errorMessage(const RuntimeError& error);

[[noreturn]] void fail(int number, const std::string& place);

// Maps an errno value of a failed file step to the runtime error numbers.
int errorNumberFromErrno(int err);

}  // namespace kivo
