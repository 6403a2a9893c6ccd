// Runs one of the logbook's whole-file rewrites in the working folder, for the test
// that kills it at every point:  rewrite_probe prepare|run OPERATION
// Operations: convert (the older line format), grid (GRID.SQU), settings
// (KIVOLOG.INI), templog (the worked-before list), delete (TEMP.1 and the log), sort
// (a conversion's output).
#include <cstdio>
#include <fstream>
#include <string>

#include "logbook/entities/worked_update.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_store.h"
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

void prepare(const std::string& op) {
  write("COUNTRY.DAT", "PREFIX TABLE\r\n----\r\nK          USA\r\n");
  write("WORKED.CFM", "TABLE\r\nEND\r\n");
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

int run(const std::string& op) {
  ScriptedTerminal terminal;
  Console console(terminal);
  Logbook lb(console);
  if (op == "convert") {
    openLog(lb, "LOGMAIN.DAT");
    return 0;
  }
  if (op == "grid") {
    lb.grid = loadGridTable("GRID.SQU");
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
