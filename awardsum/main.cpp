// awardsum: the award summary of the station logbook.
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "common/program.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kivo::ProgramOptions options;
  options.keepPicture = true;  // the totals stay in view
  options.name = "awardsum";
  return kivo::runOnTerminal(options, [&](kivo::Console& console) { return kivo::runAwardSum(console, args); });
}
