// kivolog: the station logbook.
#include <string>
#include <vector>

#include "common/program.h"
#include "logbook/frame/startup.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kivo::Config config = kivo::parseCommandLine(args);
  kivo::ProgramOptions options;
  options.mouse = config.mouseEnabled;
  options.name = "kivolog";
  return kivo::runOnTerminal(options, [&](kivo::Console& console) {
    kivo::Logbook lb(console);
    lb.config = config;
    return kivo::runLogbook(lb);
  });
}
