#pragma once
// "--help" and "--version" as a Linux user expects them: only when that is the whole
// command line (the programs' own keys are searched for anywhere in it, so nothing
// else may take the words).
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"

namespace kivo {

// Prints the usage or the version and returns true when the arguments ask for one.
inline bool answeredHelpOrVersion(const std::vector<std::string>& args, const char* name, const char* usage) {
  if (args.size() != 1) return false;
  if (args[0] == "--help") {
    std::fputs(usage, stdout);
    return true;
  }
  if (args[0] == "--version") {
    std::printf("%s %s\n", name, kProgramVersion);
    return true;
  }
  return false;
}

}  // namespace kivo
