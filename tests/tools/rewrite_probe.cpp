// Runs one of the logbook's file-changing steps in the working folder, for the
// tests that kill it at every point or trace its system calls:
//   rewrite_probe prepare|run OPERATION
// Operations: convert (the older line format), grid (GRID.SQU), settings
// (KIVOLOG.INI), templog (the worked-before list), delete (TEMP.1 and the log), sort
// (a conversion's output), lotw (the LOTW confirmation update with its tables),
// save (contacts typed and entered, then a sort: every key poll is marked by a
// getppid call, so that a trace shows what reached the disk before each key).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_store.h"
#include "logbook/records/station_settings.h"
#include "tests/support/scripted_terminal.h"

using namespace kivo;

namespace {

void write(const std::string& name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

LogRecord contact(int i) {
  LogRecord r;
  r.set(Field::DATE, i % 2 ? "01 JAN 26" : "02 FEB 25");
  r.set(Field::FREQ, "144.200");
  r.set(Field::MODE, "CW");
  r.set(Field::TIME, std::to_string(1000 + i));
  r.set(Field::STATION, "K" + std::to_string(i));
  r.set(Field::COUNTRY, "USA");
  r.set(Field::COMMENTS, "#FN" + std::to_string(10 + i));
  r.setSeparators();
  return r;
}

// An entity line of WORKED.CFM: the name in columns 17-28, empty mark cells.
std::string entityLine(const std::string& name) {
  std::string line = std::string(16, ' ') + name + std::string(12 - name.size(), ' ') + std::string(14, ' ');
  for (int k = 0; k < 18; ++k) line += "\xB3 ";
  return line + "\xB3\r\n";
}

// Confirmations for every tenth contact, the VHF ones with their squares; one for a
// contact the log does not have.
std::string lotwDownload() {
  std::string text = "ARRL Logbook of the World Status Report\n<PROGRAMID:4>LoTW\n<eoh>\n";
  for (int i = 5; i <= 300; i += 10) {
    const std::string call = "K" + std::to_string(i);
    const std::string date = i % 2 ? "20260101" : "20250202";
    text += "<CALL:" + std::to_string(call.size()) + ">" + call + "\n<BAND:2>2M\n<QSO_DATE:8>" + date +
            "\n<TIME_ON:6>" + std::to_string(1000 + i) + "00\n<QSL_RCVD:1>Y\n<eor>\n";
  }
  return text + "<CALL:4>N0NE\n<BAND:2>2M\n<QSO_DATE:8>20260101\n<TIME_ON:4>1200\n<QSL_RCVD:1>Y\n<eor>\n";
}

void prepare(const std::string& op) {
  write("COUNTRY.DAT", "PREFIX TABLE\r\n----\r\nK          USA\r\n");
  write("WORKED.CFM", op == "lotw" || op == "save" ? "TABLE\r\n" + entityLine("USA") + "END\r\n" : "TABLE\r\nEND\r\n");
  if (op == "lotw") write("LOTW.ADI", lotwDownload());
  write("GRID.SQU", "FN31 /\r\n");
  write("KIVOLOG.INI", "\"OLD\"\r\n");
  std::string log;
  if (op == "convert") {
    for (int i = 1; i <= 300; ++i) {
      LogRecord r = contact(i);
      std::string text(118, ' ');
      for (const FieldInfo& f : kFields) {
        text.replace(static_cast<size_t>(f.column - 1), static_cast<size_t>(f.width), r.get(f.field));
        if (f.field != Field::COMMENTS) text[static_cast<size_t>(f.column + f.width - 1)] = '\xff';
      }
      log += text + "\r\n";
    }
  } else {
    for (int i = 1; i <= 300; ++i) log += std::string(reinterpret_cast<const char*>(contact(i).bytes.data()), 144);
  }
  write("LOGMAIN.DAT", log);
}

// Each look at the keyboard leaves a mark in a trace of system calls.
class MarkedTerminal : public ScriptedTerminal {
 public:
  std::string pollKey() override {
    (void)::getppid();
    return ScriptedTerminal::pollKey();
  }
};

int run(const std::string& op) {
  MarkedTerminal terminal;
  Console console(terminal);
  Logbook lb(console);
  if (op == "convert") {
    openLog(lb, "LOGMAIN.DAT");
    return 0;
  }
  if (op == "grid") {
    *lb.grid = loadGridTable("GRID.SQU");
    lb.record = contact(7);
    updateGridTable(lb);
    return 0;
  }
  if (op == "settings") {
    lb.settings.operatorCall = "NEW";
    saveStationSettings(lb);
    return 0;
  }
  if (op == "templog") terminal.ext(keys::kF2).type("K1").key(keys::kEnter);
  if (op == "delete") terminal.ext(keys::kAltD).type("Y").key(keys::kEnter);
  if (op == "sort") terminal.ext(keys::kF5).type("11").key(keys::kEnter).type("SORTED.DAT").key(keys::kEnter);
  // The list of confirmations not found waits for a key; Esc then leaves.
  if (op == "lotw") terminal.ext(keys::kF5).type("10\rLOTW.ADI\r").key(keys::kEnter).key(keys::kEsc);
  if (op == "save") {
    for (const char* call : {"K1AB", "K2CD"}) {
      terminal.key(keys::kTab).type("144.2000").type("CW").key(keys::kTab).key(keys::kTab).type("1200");
      terminal.type(call).key(keys::kTab).type("#FN42").key(keys::kEnter);
    }
    terminal.ext(keys::kUp).type("1").ext(keys::kDown);  // a change saved by a move
    terminal.ext(keys::kF5).type("11\rSORTED.DAT\r").key(keys::kEsc);
  }
  try {
    runLogbook(lb);
  } catch (const ScriptEnded&) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rewrite_probe prepare|run OPERATION\n");
    return 2;
  }
  const std::string what = argv[1], op = argv[2];
  if (what == "prepare") {
    prepare(op);
    return 0;
  }
  return run(op);
}
