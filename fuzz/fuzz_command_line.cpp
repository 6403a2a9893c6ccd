// The command line: the input split at blanks into arguments.
#include "fuzz_support.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  std::string arg;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == ' ' || data[i] == 0) {
      if (!arg.empty()) args.push_back(arg);
      arg.clear();
    } else {
      arg.push_back(static_cast<char>(data[i]));
    }
  }
  if (!arg.empty()) args.push_back(arg);
  Config c = parseCommandLine(args);
  // What the screen is given must not break a record row.
  for (char ch : c.stationCall + c.stationText)
    if (ch == '\0' || ch == '\r' || ch == '\n' || static_cast<unsigned char>(ch) == 0xFF) std::abort();
  return 0;
}
