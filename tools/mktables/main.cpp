// mktables: COUNTRY.DAT and WORKED.CFM from the field's maintained country file.
#include <iostream>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/usage.h"
#include "tools/mktables/mktables.h"

namespace {

constexpr const char* kUsage =
    "Usage: mktables CTY.CSV [WORKED.CFM]\n"
    "Writes COUNTRY.DAT in the working folder from the country file cty.csv\n"
    "(Debian: /usr/share/hamradio-files/cty.csv), and adds the missing entities to the\n"
    "worked table WORKED.CFM (or writes a new one) when it is named.\n"
    "  --help, --version  this text, the version\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kivo::answeredHelpOrVersion(args, "mktables", kUsage)) return 0;
  try {
    return kivo::runMktables(args, std::cout, std::cerr);
  } catch (const kivo::RuntimeError& e) {
    std::cerr << kivo::errorMessage(e) << "\n";
    return e.number();
  }
}
