#include "logbook/interchange/reports_menu.h"

#include <sys/stat.h>

#include <memory>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/entities/selection_reports.h"
#include "logbook/entities/unconfirmed_report.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/startup.h"
#include "logbook/interchange/adif_export.h"
#include "logbook/interchange/adif_import.h"
#include "logbook/interchange/ascii_export.h"
#include "logbook/interchange/cabrillo_import.h"
#include "logbook/interchange/lotw_update.h"
#include "logbook/interchange/merge_logs.h"
#include "logbook/interchange/sort_log.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

constexpr const char* kMenu[] = {
    "Select the report or function type:",
    "",
    "1 = Create a file of specific bands",
    "2 = Create a file of worked but not confirmed",
    "3 = Create a file of QSL's needed to send",
    "4 = Create a file of a general report",
    "5 = Merge 2 log files sequentially by date",
    "6 = Convert a Cabrillo log to a KIVOLOG format log",
    "7 = Convert a KIVOLOG format log to an ASCII file beginning at the current line",
    "8 = Convert an ADIF file to a KIVOLOG format log",
    "9 = Convert KIVOLOG format log to a ADIF file for LOTW",
    "10 = Update QSL's confirmed from LOTW",
    "11 = Sort an KIVOLOG by date and time",
    "",
};

enum Choice {
  kBands = 1,
  kNotConfirmed,
  kQslToSend,
  kGeneral,
  kMerge,
  kCabrillo,
  kAscii,
  kAdifImport,
  kAdifExport,
  kLotwUpdate,
  kSort,
};

// A name the output may not take: the log's own, as held, or the log file under
// another spelling of its path (the conversion would replace the log it reads).
bool isTheLog(const Logbook& lb, const std::string& name) {
  return name == lb.logFileName || sameFile(name, lb.logFileName);
}

// The name loop: there is no way out but a usable name. A name that cannot be
// created is not reported in words; the question simply comes again.
std::unique_ptr<OutputFile> askNewFile(Logbook& lb, std::string& name) {
  Console& con = lb.console;
  while (true) {
    con.printLine(lb.settings.lastNewFile);
    con.print(kNewFileQuestion);
    name = readMenuAnswer(lb);
    if (name.empty()) name = upperCase(lb.settings.lastNewFile);
    lb.settings.lastNewFile = name;
    if (isTheLog(lb, name) || isOwnFile(lb, name) || !canCreateOutput(name)) continue;
    try {
      return std::make_unique<OutputFile>(name);
    } catch (const RuntimeError&) {
      // under the file-error trap: ask again
    }
  }
}

void runWriter(Logbook& lb, int choice, OutputFile& out) {
  switch (choice) {
    case kBands: bandSelectionReport(lb, out); break;
    case kNotConfirmed: unconfirmedReport(lb, out, true); break;
    case kQslToSend: unconfirmedReport(lb, out, false); break;
    case kGeneral: generalReport(lb, out); break;
    case kMerge: mergeLogs(lb, out); break;
    case kCabrillo: cabrilloImport(lb, out); break;
    case kAscii: asciiExport(lb, out); break;
    case kAdifImport: adifImport(lb, out); break;
    case kAdifExport: adifExport(lb, out); break;
    case kSort: sortLog(lb, out); break;
    default: break;
  }
}

void reopenLog(Logbook& lb, const std::string& name) {
  lb.log.close();  // a failure to close is of no interest now
  lb.logFileName = name;
  openLog(lb, name);
}

void writeNewFile(Logbook& lb, int choice) {
  std::string name;
  std::unique_ptr<OutputFile> out = askNewFile(lb, name);
  runWriter(lb, choice, *out);
  // A failed write is never taken for a finished file: that is a runtime error.
  out->commit();
  if (choice == kAdifExport) return;  // the log stays open as it is
  reopenLog(lb, choice == kAscii ? lb.logFileName : name);
}

void updateConfirmations(Logbook& lb) {
  Console& con = lb.console;
  TextReader in;
  std::string name;
  while (true) {
    con.printLine(lb.settings.lastQslFile);
    con.print(kQslFileQuestion);
    const std::string typed = con.inputItem();
    if (!typed.empty()) lb.settings.lastQslFile = typed;
    name = upperCase(lb.settings.lastQslFile);
    if (name == lb.logFileName) continue;
    if (name.empty() || in.tryOpen(name)) break;
  }
  if (!name.empty()) {
    saveStationSettings(lb);
    // Confirmation after confirmation goes through the worked table: read it once.
    struct Batch {
      Logbook& lb;
      ~Batch() { endWorkedBatch(lb); }
    } batch{lb};
    beginWorkedBatch(lb);
    lotwUpdate(lb, in);
  }
  in.close();
  reopenLog(lb, lb.logFileName);
}

}  // namespace

std::string readMenuAnswer(Logbook& lb) { return upperCase(lb.console.inputItem()); }

void runReportsMenu(Logbook& lb) {
  Console& con = lb.console;
  con.color(palette::kCaptions);
  con.cls();
  for (const char* line : kMenu) con.printLine(line);
  const long long choice = roundHalfEven(parseNumber(con.lineInput()));
  if (choice == kLotwUpdate) {
    updateConfirmations(lb);
  } else if (choice >= kBands && choice <= kSort) {
    writeNewFile(lb, static_cast<int>(choice));
  }
}

}  // namespace kivo
