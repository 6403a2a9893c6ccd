#pragma once
// Shared by the fuzz targets: the test station in a scratch folder of the fuzzing
// process, files written from the fuzzer's bytes, and a logbook on the scripted
// terminal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/fatal.h"
#include "logbook/logbook.h"
#include "logbook/records/output_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo::fuzz {

using testing::writeFile;

// The working folder of the whole run; the inputs are written into it. It goes
// away when the process ends.
inline void enterScratchFolder() { static testing::TempDir folder; }

// The scratch folder with the station's tables written once, and an empty log.
inline void enterStation() {
  enterScratchFolder();
  static bool tables = (testing::writeStationTables(), true);
  (void)tables;
  writeFile("LOGMAIN.DAT", "");
}

// A logbook on the scripted terminal. A runtime error is a documented result of an
// odd file, as is the end of the script; anything else (a crash, a sanitizer report,
// another exception) is what the fuzzer looks for.
using FuzzLogbook = testing::ScriptedLogbook;

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
