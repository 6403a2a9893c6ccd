#pragma once
// Shared by the fuzz targets: a station in a scratch folder of the fuzzing process,
// files written from the fuzzer's bytes, and a logbook on the scripted terminal.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/fatal.h"
#include "common/scripted_terminal.h"
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"

namespace kivo::fuzz {

// The working folder of the whole run; the inputs are written into it.
inline void enterScratchFolder() {
  static bool done = false;
  if (done) return;
  char pattern[] = "/tmp/kivo-fuzz-XXXXXX";
  if (!::mkdtemp(pattern)) std::abort();
  std::filesystem::current_path(pattern);
  done = true;
}

inline void writeFile(const std::string& name, const uint8_t* data, size_t size) {
  std::ofstream(name, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void writeFile(const std::string& name, const std::string& bytes) {
  writeFile(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

inline void writeTables() {
  writeFile("COUNTRY.DAT", "PREFIX TABLE\r\n----\r\nK          USA\r\nDL         GERMANY\r\n");
  writeFile("GRID.SQU", "FN31 /\r\n");
  std::string line = std::string(16, ' ') + "USA" + std::string(23, ' ');
  for (int k = 0; k < 18; ++k) line += "\xB3 ";
  writeFile("WORKED.CFM", "TABLE\r\n" + line + "\xB3\r\nDELETED\r\nEND\r\n");
}

// The scratch folder with the tables written once, and an empty log.
inline void enterStation() {
  enterScratchFolder();
  static bool tables = (writeTables(), true);
  (void)tables;
  writeFile("LOGMAIN.DAT", "");
}

// A logbook on the scripted terminal. A runtime error is a documented result of an
// odd file, as is the end of the script; anything else (a crash, a sanitizer report,
// another exception) is what the fuzzer looks for.
struct FuzzLogbook {
  ScriptedTerminal terminal;
  Console console{terminal};
  Logbook lb{console};
};

template <typename Step>
void expectingRuntimeErrors(Step step) {
  try {
    step();
  } catch (const RuntimeError&) {
  } catch (const ScriptEnded&) {
  }
}

// An import of the menu run on the input as the file it asks for.
template <typename Import>
void runImport(const uint8_t* data, size_t size, Import import) {
  enterScratchFolder();
  writeFile("IN.TXT", data, size);
  FuzzLogbook f;
  f.terminal.type("IN.TXT").key(keys::kEnter);
  expectingRuntimeErrors([&] {
    OutputFile out("OUT.DAT");
    import(f.lb, out);
    out.commit();
  });
}

}  // namespace kivo::fuzz
