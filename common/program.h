#pragma once
// The frame of each program's main(): the real terminal around the program's body,
// and a runtime error turned into its message on the restored terminal and its
// number as the exit status.
#include <functional>

#include "common/console.h"

namespace kivo {

struct ProgramOptions {
  bool mouse = true;
  // Prints the last picture again on the terminal's own screen after the program
  // ended, for a program whose result should stay in view.
  bool keepPicture = false;
  const char* name = "";
};

int runOnTerminal(const ProgramOptions& options, const std::function<int(Console&)>& body);

}  // namespace kivo
