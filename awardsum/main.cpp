// awardsum: the award summary of the station logbook.
#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "awardsum/table_check.h"
#include "awardsum/table_rebuild.h"
#include "common/program.h"
#include "common/text.h"
#include "common/usage.h"

namespace {

constexpr const char* kUsage =
    "Usage: awardsum [F3=worked table] [F4=grid table]\n"
    "       awardsum --check | --rebuild [F3=worked table] [F4=grid table] [LOG...]\n"
    "The award totals of the station: entities worked, confirmed and credited per award\n"
    "category, and the VHF grid squares. Reads the tables and writes nothing.\n"
    "  F3=       the worked/confirmed table (default WORKED.CFM)\n"
    "  F4=       the grid-square table (default GRID.SQU)\n"
    "  --check   applies every contact of the logs (default LOGMAIN.DAT) to blank tables\n"
    "            by the logbook's rules and lists every cell and square that disagrees;\n"
    "            exit status 0 all agree, 1 something disagrees, 2 bad usage or unreadable file\n"
    "  --rebuild makes the tables say what the logs support (a \"C\" stays); the old\n"
    "            tables are kept as WORKED.CFM.bak and GRID.SQU.bak; exit status 3 when\n"
    "            a running logbook holds the tables or a write fails\n"
    "  --help, --version  this text, the version\n";

enum class Mode { kCheck, kRebuild };

bool asksForTables(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--check" || a == "--rebuild"; });
}

// F3= and F4= as the totals read them (the value in upper case, found without regard
// to case); any other word is a log.
void takeFileArgument(const std::string& arg, kivo::CheckFiles& files) {
  const std::string key = kivo::upperCase(arg.substr(0, 3));
  if (key == "F3=")
    files.worked = kivo::upperCase(arg.substr(3));
  else if (key == "F4=")
    files.grid = kivo::upperCase(arg.substr(3));
  else
    files.logs.push_back(arg);
}

int usageError(const std::string& what) {
  std::fprintf(stderr, "awardsum: %s\nTry 'awardsum --help'.\n", what.c_str());
  return 2;
}

int runTableCommand(int argc, char** argv) {
  static const option kOptions[] = {{"check", no_argument, nullptr, 'c'},
                                    {"rebuild", no_argument, nullptr, 'r'},
                                    {"help", no_argument, nullptr, 'h'},
                                    {"version", no_argument, nullptr, 'v'},
                                    {nullptr, 0, nullptr, 0}};
  int checks = 0, rebuilds = 0;
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, "", kOptions, nullptr)) != -1;) {
    if (c == 'c')
      ++checks;
    else if (c == 'r')
      ++rebuilds;
    else if (c == 'h')
      return std::fputs(kUsage, stdout), 0;
    else if (c == 'v')
      return std::printf("awardsum %s\n", kivo::kProgramVersion), 0;
    else
      return usageError("unknown option " + std::string(argv[optind - 1]));
  }
  if (checks && rebuilds) return usageError("--check and --rebuild do not go together");
  kivo::CheckFiles files;
  for (int i = optind; i < argc; ++i) takeFileArgument(argv[i], files);
  const Mode mode = rebuilds ? Mode::kRebuild : Mode::kCheck;
  return mode == Mode::kCheck ? kivo::runCheck(files, stdout, stderr) : kivo::runRebuild(files, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kivo::answeredHelpOrVersion(args, "awardsum", kUsage)) return 0;
  // Plain lines for a script or a pager; the totals screen is the program without them.
  if (asksForTables(args)) return runTableCommand(argc, argv);
  kivo::ProgramOptions options;
  options.keepPicture = true;  // the totals stay in view
  options.name = "awardsum";
  return kivo::runOnTerminal(options, [&](kivo::Console& console) { return kivo::runAwardSum(console, args); });
}
