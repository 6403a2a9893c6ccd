#include "common/program.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "common/cp437.h"
#include "common/fatal.h"
#include "common/ncurses_terminal.h"

namespace kivo {

namespace {

// The terminal is given back as it was found (its own screen, not ours), so a
// picture that should stay is printed again there, without its colours.
void printPicture(const Screen& screen) {
  int last = 0;
  for (int r = 1; r <= screen.rows(); ++r)
    if (screen.rowText(r).find_first_not_of(' ') != std::string::npos) last = r;
  for (int r = 1; r <= last; ++r) {
    std::string row = screen.rowText(r);
    row.erase(row.find_last_not_of(' ') + 1);
    std::printf("%s\n", toUtf8(row).c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int runOnTerminal(const ProgramOptions& options, const std::function<int(Console&)>& body) {
  // A write past the file-size limit (ulimit -f) would end the program at once, with
  // no message and the terminal still ours; ignored, the write fails with EFBIG and
  // is a runtime error like any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  int status = 0;
  std::string message;
  std::optional<Screen> picture;
  try {
    NcursesTerminal terminal(options.mouse);
    Console console(terminal, 25);
    try {
      status = body(console);
    } catch (...) {
      terminal.restore();
      if (options.keepPicture) picture = console.screen();
      throw;
    }
    terminal.restore();
    if (options.keepPicture) picture = console.screen();
  } catch (const RuntimeError& e) {
    message = errorMessage(e);
    status = e.number();
  } catch (const std::bad_alloc&) {
    message = errorMessage(RuntimeError(kOutOfMemory, ""));
    status = kOutOfMemory;
  } catch (const std::exception& e) {
    message = std::string(options.name) + ": " + e.what();
    status = kIllegalFunctionCall;
  }
  if (picture) printPicture(*picture);
  if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
  return status;
}

}  // namespace kivo
