// kivolog: the station logbook.
#include <cstdio>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
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

// After a run that ended with "file not found": every table of the station that is
// not there, and the commands that make them, so that a new station is not set up
// one error at a time.
void explainMissingTables(const kivo::Config& c) {
  const bool grid = !kivo::fileExists(c.gridFileName), country = !kivo::fileExists(c.countryFileName),
             worked = !kivo::fileExists(c.workedFileName);
  if (!grid && !country && !worked) return;
  std::string names = grid ? " " + c.gridFileName : "";
  if (country) names += " " + c.countryFileName;
  if (worked) names += " " + c.workedFileName;
  std::fprintf(stderr, "kivolog: missing:%s\n", names.c_str());
  std::fprintf(stderr, "kivolog: a new station makes them with (cty.csv is in the package hamradio-files):\n");
  if (country || worked) {
    std::string make = "  mktables /usr/share/hamradio-files/cty.csv";
    if (worked) make += " " + c.workedFileName;
    if (kivo::fileExists("COUNTRY.DAT")) make += "   # writes COUNTRY.DAT anew";
    std::fprintf(stderr, "%s\n", make.c_str());
    if (country && c.countryFileName != "COUNTRY.DAT")
      std::fprintf(stderr, "  mv COUNTRY.DAT %s\n", c.countryFileName.c_str());
  }
  if (grid) std::fprintf(stderr, "  : > %s\n", c.gridFileName.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kivo::answeredHelpOrVersion(args, "kivolog", kUsage)) return 0;
  kivo::Config config = kivo::parseCommandLine(args);
  kivo::ProgramOptions options;
  options.mouse = config.mouseEnabled;
  options.name = "kivolog";
  const int status = kivo::runOnTerminal(options, [&](kivo::Console& console) {
    kivo::Logbook lb(console);
    lb.config = config;
    return kivo::runLogbook(lb);
  });
  if (status == kivo::kFileNotFound) explainMissingTables(config);
  return status;
}
