// awardsum: the award summary of the station logbook.
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "common/program.h"
#include "common/usage.h"

namespace {

constexpr const char* kUsage =
    "Usage: awardsum [F3=worked table] [F4=grid table]\n"
    "The award totals of the station: entities worked, confirmed and credited per award\n"
    "category, and the VHF grid squares. Reads the tables and writes nothing.\n"
    "  F3=     the worked/confirmed table (default WORKED.CFM)\n"
    "  F4=     the grid-square table (default GRID.SQU)\n"
    "  --help, --version  this text, the version\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kivo::answeredHelpOrVersion(args, "awardsum", kUsage)) return 0;
  kivo::ProgramOptions options;
  options.keepPicture = true;  // the totals stay in view
  options.name = "awardsum";
  return kivo::runOnTerminal(options, [&](kivo::Console& console) { return kivo::runAwardSum(console, args); });
}
