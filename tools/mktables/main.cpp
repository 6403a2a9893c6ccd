// mktables: COUNTRY.DAT and WORKED.CFM from the field's maintained country file.
#include <iostream>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "tools/mktables/mktables.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return kivo::runMktables(args, std::cout, std::cerr);
  } catch (const kivo::RuntimeError& e) {
    std::cerr << kivo::errorMessage(e) << "\n";
    return e.number();
  }
}
