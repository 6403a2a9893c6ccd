#include "awardsum/table_check.h"

#include <array>
#include <unordered_map>
#include <unordered_set>

#include "awardsum/log_reader.h"
#include "awardsum/log_replay.h"
#include "common/cp437.h"
#include "common/fatal.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

// Blank, worked only, confirmed, confirmed both ways: how far a mark has come.
int markRank(char c) {
  switch (c) {
    case kMarkNone: return 0;
    case kMarkCard:
    case kMarkLotw: return 2;
    case kMarkBoth: return 3;
    default: return 1;
  }
}

// GRID.SQU column 6: "X" confirmed, anything else worked.
Verdict compareSquareStatus(char file, char supported) {
  if (file == 0) return Verdict::kMissed;
  if ((file == kSquareConfirmed) == (supported == kSquareConfirmed)) return Verdict::kAgrees;
  return supported == kSquareConfirmed ? Verdict::kMissed : Verdict::kUnsupported;
}

void count(Verdict v, long long& agree, long long& missed, long long& unsupported) {
  (v == Verdict::kAgrees ? agree : v == Verdict::kMissed ? missed : unsupported) += 1;
}

void compareCells(TableCheck& check) {
  for (size_t i = 0; i < check.file.lines.size(); ++i) {
    const std::string& line = check.file.lines[i];
    if (!isEntityLine(line)) continue;
    ++check.entityLines;
    for (int k = 1; k <= kCategoryCount; ++k) {
      const char f = markOf(line, k), s = markOf(check.supported.lines[i], k);
      const Verdict v = compareMark(f, s);
      count(v, check.cellsAgree, check.cellsMissed, check.cellsUnsupported);
      if (v != Verdict::kAgrees) check.cells.push_back({i, k, f, s, v});
    }
  }
}

void compareSquares(TableCheck& check) {
  std::unordered_map<std::string, size_t> supportedAt;
  for (size_t j = 0; j < check.supportedSquares.size(); ++j)
    supportedAt.emplace(check.supportedSquares[j].substr(0, 4), j);
  std::vector<bool> matched(check.supportedSquares.size(), false);
  std::unordered_set<std::string> seen;
  auto add = [&](SquareFinding f) {
    count(f.verdict, check.squaresAgree, check.squaresMissed, check.squaresUnsupported);
    if (f.verdict != Verdict::kAgrees) check.squares.push_back(std::move(f));
  };
  for (size_t i = 0; i < check.gridLines.size(); ++i) {
    const std::string& line = check.gridLines[i];
    if (line.size() < 4) continue;  // no square's line, and no count either
    const std::string square = line.substr(0, 4);
    const bool first = seen.insert(square).second;
    auto it = supportedAt.find(square);
    // 0 stands for no status: a 0x00 byte in the column counts like any other mark.
    const char f = !gridSquareWorked(line) ? 0 : line[5] ? line[5] : ' ';
    const char s = it == supportedAt.end() ? 0 : check.supportedSquares[it->second][5];
    if (first && s) {
      matched[it->second] = true;
      add({i, square, f, s, compareSquareStatus(f, s), false});
    } else if (f) {
      add({i, square, f, s, Verdict::kUnsupported, !first});
    }
    // A short line of no supported square counts for nothing and is left alone.
  }
  for (size_t j = 0; j < matched.size(); ++j)
    if (!matched[j])
      add({std::string::npos, check.supportedSquares[j].substr(0, 4), 0, check.supportedSquares[j][5], Verdict::kMissed,
           false});
}

// A mark in quotes, in UTF-8: made once for every byte, as a table far behind its
// logs lists thousands of cells.
const std::string& quoted(char mark) {
  static const std::array<std::string, 256> kQuoted = [] {
    std::array<std::string, 256> all;
    for (size_t b = 0; b < all.size(); ++b) all[b] = "\"" + toUtf8(std::string(1, static_cast<char>(b))) + "\"";
    return all;
  }();
  return kQuoted[static_cast<uint8_t>(mark)];
}
// A square's status, or "-" for none.
std::string status(char mark) { return mark ? quoted(mark) : "-"; }

const char* why(Verdict v) {
  return v == Verdict::kMissed ? "missed, the logs support more" : "unsupported, no contact in the logs supports it";
}

// The cells' lines, each put together in place, the name of an entity converted
// once for all its cells.
void appendCellLines(std::string& out, const TableCheck& check) {
  std::array<std::string, kCategoryCount + 1> captions;
  for (int k = 1; k <= kCategoryCount; ++k) captions[static_cast<size_t>(k)] = fitWidth(awardCategory(k).caption, 10);
  size_t named = std::string::npos;
  std::string name;
  for (const CellFinding& f : check.cells) {
    if (f.line != named) name = toUtf8(entityNameOf(check.file.lines[named = f.line]));
    out += check.workedPath;
    out += ':';
    out += std::to_string(f.line + 1);
    out += ": ";
    out += name;
    out += ' ';
    out += captions[static_cast<size_t>(f.category)];
    out += " file ";
    out += quoted(f.file);
    out += " logs ";
    out += quoted(f.logs);
    out += ": ";
    out += why(f.verdict);
    out += '\n';
  }
}

std::string squareLine(const TableCheck& check, const SquareFinding& f) {
  const std::string where = f.line == std::string::npos ? "" : std::to_string(f.line + 1) + ":";
  return check.gridPath + ":" + where + " " + toUtf8(f.square) + " file " + status(f.file) + " logs " + status(f.logs) +
         ": " + (f.secondLine ? "unsupported, a second line of the square" : why(f.verdict)) + "\n";
}

}  // namespace

Verdict compareMark(char file, char supported) {
  if (file == supported) return Verdict::kAgrees;
  const bool confirmed = markRank(supported) >= 2;
  if (upperChar(file) == kMarkCredited) return confirmed ? Verdict::kAgrees : Verdict::kUnsupported;
  if (markRank(file) == 1 && supported == '\\') return Verdict::kAgrees;
  return markRank(supported) > markRank(file) ? Verdict::kMissed : Verdict::kUnsupported;
}

TableCheck checkTables(const CheckFiles& files) {
  TableCheck check;
  check.workedPath = resolveExisting(files.worked);
  check.gridPath = resolveExisting(files.grid);
  check.workedBytes = readWholeFile(check.workedPath);
  check.gridBytes = readWholeFile(check.gridPath);
  check.gridLines = readTextLines(check.gridPath);  // as the logbook reads it
  check.file.read(check.workedBytes);
  check.supported.lines = check.file.lines;
  for (std::string& line : check.supported.lines)
    if (isEntityLine(line))
      for (int k = 1; k <= kCategoryCount; ++k) line[static_cast<size_t>(markColumn(k) - 1)] = ' ';
  check.supported.index();

  LogReplay replay(check);
  const std::vector<std::string> logs = files.logs.empty() ? std::vector<std::string>{"LOGMAIN.DAT"} : files.logs;
  for (const std::string& log : logs) replay.run(LogRecords(log));
  compareCells(check);
  compareSquares(check);
  return check;
}

std::string checkSummary(const TableCheck& c) {
  long long without = 0;
  for (const auto& entry : c.withoutLine) without += entry.second;
  return "summary: " + std::to_string(c.entityLines) + " entity lines, " + std::to_string(c.cellsAgree) +
         " cells agree, " + std::to_string(c.cellsMissed) + " missed, " + std::to_string(c.cellsUnsupported) +
         " unsupported; " + std::to_string(c.squaresAgree) + " squares agree, " + std::to_string(c.squaresMissed) +
         " missed, " + std::to_string(c.squaresUnsupported) + " unsupported; " + std::to_string(c.contacts) +
         " contacts, " + std::to_string(without) + " without a line\n";
}

std::string checkReport(const TableCheck& check) {
  std::string out;
  appendCellLines(out, check);
  for (const SquareFinding& f : check.squares) out += squareLine(check, f);
  for (const auto& [name, contacts] : check.withoutLine)
    out += check.workedPath + ": no line for \"" + toUtf8(name) + "\": " + std::to_string(contacts) +
           (contacts == 1 ? " contact\n" : " contacts\n");
  return out + checkSummary(check);
}

std::optional<TableCheck> checkOrSay(const CheckFiles& files, std::FILE* err) {
  try {
    return checkTables(files);
  } catch (const RuntimeError& e) {
    std::fprintf(err, "awardsum: %s\n", errorMessage(e).c_str());
    return std::nullopt;
  }
}

int runCheck(const CheckFiles& files, std::FILE* out, std::FILE* err) {
  const std::optional<TableCheck> check = checkOrSay(files, err);
  if (!check) return 2;
  std::fputs(checkReport(*check).c_str(), out);
  return check->agrees() ? 0 : 1;
}

}  // namespace kivo
