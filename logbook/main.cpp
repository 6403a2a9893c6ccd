// kivolog: the station logbook.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/ncurses_terminal.h"
#include "logbook/frame/startup.h"

int main(int argc, char** argv) {
  using namespace kivo;
  std::vector<std::string> args(argv + 1, argv + argc);
  Config config = parseCommandLine(args);
  int status = 0;
  std::string message;
  try {
    NcursesTerminal terminal(config.mouseEnabled);
    try {
      Console console(terminal, 25);
      Logbook lb(console);
      lb.config = config;
      status = runLogbook(lb);
    } catch (...) {
      terminal.restore();
      throw;
    }
  } catch (const RuntimeError& e) {
    message = errorMessage(e);
    status = e.number();
  } catch (const std::bad_alloc&) {
    message = errorMessage(RuntimeError(kOutOfMemory, ""));
    status = kOutOfMemory;
  } catch (const std::exception& e) {
    message = std::string("kivolog: ") + e.what();
    status = kIllegalFunctionCall;
  }
  if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
  return status;
}
