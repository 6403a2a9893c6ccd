// awardsum: the award summary of the station logbook.
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "common/cp437.h"
#include "common/fatal.h"
#include "common/ncurses_terminal.h"

namespace {

// The totals are meant to stay on the screen when the program ends, but the terminal
// is given back as it was found (its own screen, not ours). So the picture is
// printed again into the terminal's ordinary screen.
void printPicture(const kivo::Screen& screen) {
  int last = 0;
  for (int r = 1; r <= screen.rows(); ++r)
    if (screen.rowText(r).find_first_not_of(' ') != std::string::npos) last = r;
  for (int r = 1; r <= last; ++r) {
    std::string row = screen.rowText(r);
    row.erase(row.find_last_not_of(' ') + 1);
    std::printf("%s\n", kivo::toUtf8(row).c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kivo;
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = 0;
  std::string message;
  std::optional<Screen> picture;
  try {
    NcursesTerminal terminal(true);
    Console console(terminal, 25);
    try {
      status = runAwardSum(console, args);
    } catch (...) {
      terminal.restore();
      picture = console.screen();
      throw;
    }
    terminal.restore();
    picture = console.screen();
  } catch (const RuntimeError& e) {
    message = errorMessage(e);
    status = e.number();
  } catch (const std::bad_alloc&) {
    message = errorMessage(RuntimeError(kOutOfMemory, ""));
    status = kOutOfMemory;
  } catch (const std::exception& e) {
    message = std::string("awardsum: ") + e.what();
    status = kIllegalFunctionCall;
  }
  if (picture) printPicture(*picture);
  if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
  return status;
}
