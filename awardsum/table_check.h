#pragma once
// The award tables set against the logs: every contact of the logs applied, in
// their order and by the logbook's own rules, to a WORKED.CFM whose mark cells start
// blank and to an empty GRID.SQU, and the result compared with the files.
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "logbook/entities/worked_rules.h"

namespace kivo {

struct CheckFiles {
  std::string worked = "WORKED.CFM";
  std::string grid = "GRID.SQU";
  std::vector<std::string> logs;  // none: LOGMAIN.DAT
};

enum class Verdict {
  kAgrees,
  kMissed,       // the logs support more: an update was missed
  kUnsupported,  // no contact in the logs supports what the file says
};

// How a cell of the file stands against the mark the logs support. A "C" (the
// logbook reads "c" as one) agrees with any confirmation; any worked-only mark
// agrees with "\", as it counts the same.
Verdict compareMark(char file, char supported);

struct CellFinding {
  size_t line;  // index into the table's lines
  int category;
  char file;
  char logs;
  Verdict verdict;
};

// A square line of GRID.SQU, or a square the file lacks (line npos). A status of 0
// means none: the file has no line that counts for the square, or no contact
// supports it.
struct SquareFinding {
  size_t line;
  std::string square;
  char file;
  char logs;
  Verdict verdict;
  bool secondLine;  // the square has an earlier line, which is the one kept up to date
};

struct TableCheck {
  std::string workedPath, gridPath;
  std::string workedBytes;  // the file as read
  WorkedLines file;         // its lines, marks as they are
  WorkedLines supported;    // the same lines with the marks the logs support
  std::string gridBytes;
  std::vector<std::string> gridLines;
  std::vector<std::string> supportedSquares;     // "AB12 /" or "AB12 X", in log order
  std::vector<CellFinding> cells;                // the cells that disagree, in table order
  std::vector<SquareFinding> squares;            // the squares that disagree
  std::map<std::string, long long> withoutLine;  // contacts by entity name
  long long contacts = 0;
  long long entityLines = 0;
  long long cellsAgree = 0, cellsMissed = 0, cellsUnsupported = 0;
  long long squaresAgree = 0, squaresMissed = 0, squaresUnsupported = 0;

  bool agrees() const { return cells.empty() && squares.empty() && withoutLine.empty(); }
};

// Reads the tables and the logs and compares them; a file that cannot be read, or a
// log still in the older line format, is a runtime error.
TableCheck checkTables(const CheckFiles& files);
// The check, or nothing once the runtime error that ended it was said on `err`.
std::optional<TableCheck> checkOrSay(const CheckFiles& files, std::FILE* err);

// One line for each finding, in table order, then the squares, then the entities
// without a line, then the summary.
std::string checkReport(const TableCheck& check);
std::string checkSummary(const TableCheck& check);

// Prints the report; the exit status is 0 when the tables agree with the logs, 1
// when anything is listed, 2 when a file cannot be read.
int runCheck(const CheckFiles& files, std::FILE* out, std::FILE* err);

}  // namespace kivo
