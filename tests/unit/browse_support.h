#pragma once
// A station in a temporary folder with a scripted terminal, for scenario tests of
// the logbook.
#include <string>
#include <vector>

#include "common/scripted_terminal.h"
#include "common/text.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"
#include "logbook/records/log_record.h"
#include "test_support.h"

namespace kivo::testing {

inline std::vector<std::string> splitArgs(const std::string& line) {
  std::vector<std::string> args;
  size_t start = 0;
  while (start < line.size()) {
    size_t blank = line.find(' ', start);
    if (blank == std::string::npos) blank = line.size();
    if (blank > start) args.push_back(line.substr(start, blank - start));
    start = blank + 1;
  }
  return args;
}

// An entity line of WORKED.CFM: prefix text, the name in columns 17-28, empty cells
// framed by 0xB3 in columns 43-79.
inline std::string entityLine(const std::string& lead, const std::string& name) {
  std::string line = fitWidth(lead, 16) + fitWidth(name, 12) + std::string(14, ' ');
  for (int k = 0; k < 18; ++k) line += "\xB3 ";
  return line + "\xB3";
}

inline LogRecord contact(const std::string& call, const std::string& date = "01 JAN 26", const std::string& sr = "  ",
                         const std::string& country = "USA") {
  LogRecord r;
  r.set(Field::DATE, date);
  r.set(Field::FREQ, "14.02500");
  r.set(Field::MODE, "CW");
  r.set(Field::PWR, "100");
  r.set(Field::TIME, "1200");
  r.set(Field::STATION, call);
  r.set(Field::SN, "599");
  r.set(Field::RD, "599");
  r.set(Field::TOFF, "1201");
  r.set(Field::COUNTRY, country);
  r.set(Field::SR, sr);
  r.set(Field::COMMENTS, "");
  r.setSeparators();
  return r;
}

inline std::string recordBytes(const LogRecord& r) {
  return std::string(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
}

// A log of n contacts with the calls Q1, Q2, ...
inline std::string logOf(int n) {
  std::string bytes;
  for (int i = 1; i <= n; ++i) bytes += recordBytes(contact("Q" + std::to_string(i)));
  return bytes;
}

inline LogRecord recordAt(const std::string& logBytes, long long n) {
  LogRecord r;
  std::copy_n(logBytes.begin() + (n - 1) * 144, 144, r.bytes.begin());
  return r;
}

struct Station {
  TempDir dir;
  ScriptedTerminal terminal;
  Console console{terminal};
  Logbook lb{console};
  int status = -1;
  bool scriptEnded = false;

  explicit Station(const std::string& logBytes = "", const std::string& commandLine = "") {
    std::string table = "PREFIX TABLE\r\n----\r\n";
    for (auto [prefix, name] : {std::pair{"KH6", "HAWAII"}, {"K", "USA"}, {"W", "USA"}, {"DL", "GERMANY"}})
      table += fitWidth(prefix, 11) + name + "\r\n";
    writeFile("COUNTRY.DAT", table);
    writeFile("GRID.SQU", "");
    writeFile("WORKED.CFM", "WORKED TABLE\r\n" + entityLine("K", "USA") + "\r\n" + entityLine("DL", "GERMANY") +
                                "\r\n" + entityLine("KH6", "HAWAII") + "\r\nDELETED\r\nEND\r\n");
    writeFile("LOGMAIN.DAT", logBytes);
    lb.config = parseCommandLine(splitArgs(commandLine));
  }

  // Runs the logbook until it exits or the script runs out; a later call goes on
  // where the last one stopped, with the keys queued since.
  void run() {
    scriptEnded = false;
    try {
      if (!started) {
        started = true;
        status = runLogbook(lb);
      } else {
        status = runCommandLoop(lb);
      }
    } catch (const ScriptEnded&) {
      scriptEnded = true;
    }
  }
  bool started = false;

  const Screen& screen() const { return console.screen(); }
  std::string row(int r) const { return screen().rowText(r); }
  std::string text(int r, int first, int last) const { return screen().textAt(r, first, last); }
  std::string log() const { return readFile("LOGMAIN.DAT"); }
  LogRecord record(long long n) const { return recordAt(log(), n); }
};

}  // namespace kivo::testing
