#include "logbook/interchange/reports_menu.h"

#include <sys/stat.h>

#include <memory>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/adif_export.h"
#include "logbook/interchange/adif_import.h"
#include "logbook/interchange/ascii_export.h"
#include "logbook/interchange/cabrillo_import.h"
#include "logbook/interchange/lotw_update.h"
#include "logbook/interchange/merge_logs.h"
#include "logbook/interchange/selection_reports.h"
#include "logbook/interchange/sort_log.h"
#include "logbook/interchange/unconfirmed_report.h"
#include "logbook/records/log_store.h"
#include "logbook/records/station_settings.h"

namespace kivo {

namespace {

constexpr const char* kMenuTitle = "Select the report or function type:";

// What becomes of the log once the file is written.
enum class AfterWriting {
  OpenOutput,  // the new file becomes the log
  ReopenLog,   // the log is opened again as it was
  KeepLog,     // the log stays open as it is
};

using Writer = void (*)(Logbook&, OutputFile&);

// One row a menu entry, in menu order. Entry 10 writes no new file: it has no writer.
struct MenuEntry {
  int number;
  const char* caption;
  Writer writer;
  AfterWriting after;
};

const MenuEntry kMenu[] = {
    {1, "1 = Create a file of specific bands", bandSelectionReport, AfterWriting::OpenOutput},
    {2, "2 = Create a file of worked but not confirmed",
     [](Logbook& lb, OutputFile& out) { unconfirmedReport(lb, out, true); }, AfterWriting::OpenOutput},
    {3, "3 = Create a file of QSL's needed to send",
     [](Logbook& lb, OutputFile& out) { unconfirmedReport(lb, out, false); }, AfterWriting::OpenOutput},
    {4, "4 = Create a file of a general report", generalReport, AfterWriting::OpenOutput},
    {5, "5 = Merge 2 log files sequentially by date", mergeLogs, AfterWriting::OpenOutput},
    {6, "6 = Convert a Cabrillo log to a KIVOLOG format log", cabrilloImport, AfterWriting::OpenOutput},
    {7, "7 = Convert a KIVOLOG format log to an ASCII file beginning at the current line", asciiExport,
     AfterWriting::ReopenLog},
    {8, "8 = Convert an ADIF file to a KIVOLOG format log", adifImport, AfterWriting::OpenOutput},
    {9, "9 = Convert KIVOLOG format log to a ADIF file for LOTW", adifExport, AfterWriting::KeepLog},
    {10, "10 = Update QSL's confirmed from LOTW", nullptr, AfterWriting::ReopenLog},
    {11, "11 = Sort an KIVOLOG by date and time", sortLog, AfterWriting::OpenOutput},
};

const MenuEntry* findEntry(long long choice) {
  for (const MenuEntry& e : kMenu)
    if (e.number == choice) return &e;
  return nullptr;
}

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

void reopenLog(Logbook& lb, const std::string& name) {
  lb.log.close();  // a failure to close is of no interest now
  lb.logFileName = name;
  openLog(lb, name);
}

void writeNewFile(Logbook& lb, const MenuEntry& entry) {
  std::string name;
  std::unique_ptr<OutputFile> out = askNewFile(lb, name);
  entry.writer(lb, *out);
  // A failed write is never taken for a finished file: that is a runtime error.
  out->commit();
  switch (entry.after) {
    case AfterWriting::OpenOutput: reopenLog(lb, name); break;
    case AfterWriting::ReopenLog: reopenLog(lb, lb.logFileName); break;
    case AfterWriting::KeepLog: break;
  }
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
    // The update syncs what it wrote before it waits for a key; a runtime error on
    // the way only drops the reading.
    struct Batch {
      Logbook& lb;
      ~Batch() { lb.tables.workedCache.reset(); }
    } batch{lb};
    beginWorkedBatch(lb);
    lotwUpdate(lb, in);
    endWorkedBatch(lb);
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
  con.printLine(kMenuTitle);
  con.printLine("");
  for (const MenuEntry& e : kMenu) con.printLine(e.caption);
  con.printLine("");
  const MenuEntry* entry = findEntry(roundHalfEven(parseNumber(con.lineInput())));
  if (entry == nullptr) return;
  if (entry->writer == nullptr) {
    updateConfirmations(lb);
  } else {
    writeNewFile(lb, *entry);
  }
}

}  // namespace kivo
