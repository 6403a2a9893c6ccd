// kivolog: the station logbook.
#include <string>
#include <vector>

#include "common/program.h"
#include "common/usage.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"

namespace {

constexpr const char* kUsage =
    "Usage: kivolog [F=log] [F2=prefix table] [F3=worked table] [F4=grid table]\n"
    "               [F6=transfer file] [S=CALL [comment]] [TZ=hours] [W=power]\n"
    "               [BM=] [AD=] [ROW43=] [NOMOUSE]\n"
    "The station logbook, in the working folder (the command line is taken in upper case).\n"
    "  F=      the log (default LOGMAIN.DAT)\n"
    "  F2=     the prefix table (default COUNTRY.DAT)\n"
    "  F3=     the worked/confirmed table (default WORKED.CFM)\n"
    "  F4=     the grid-square table (default GRID.SQU)\n"
    "  F6=     the radio transfer file (default RIGXFER.OUT)\n"
    "  S=      a station to log on the first screen, with an optional comment\n"
    "  TZ=     hours added to the clock for real-time logging (may be negative)\n"
    "  W=      the power of a new contact (default 100)\n"
    "  BM=     new contacts start their comment with \"@BM \"\n"
    "  AD=     new contacts start their comment with \"@AS \" (the alternative site)\n"
    "  ROW43=  a screen of 43 rows\n"
    "  NOMOUSE leave the mouse to the terminal\n"
    "  --help, --version  this text, the version\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kivo::answeredHelpOrVersion(args, "kivolog", kUsage)) return 0;
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
