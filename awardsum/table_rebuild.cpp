#include "awardsum/table_rebuild.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

// Each table that changes is replaced, its old bytes kept as <name>.bak.
void writeTables(const TableCheck& check, std::FILE* out) {
  long long cells = 0;
  const std::string worked = rebuiltWorkedTable(check, cells);
  const std::string grid = rebuiltGridTable(check);
  const bool workedChanges = worked != check.workedBytes, gridChanges = grid != check.gridBytes;
  std::vector<Replacement> changed;
  if (workedChanges) changed.push_back({check.workedPath, check.workedBytes, worked});
  if (gridChanges) changed.push_back({check.gridPath, check.gridBytes, grid});
  replaceKeepingBackups(changed);
  if (workedChanges) {
    std::fprintf(out, "%s: %lld cells rewritten, the old table kept as %s.bak\n", check.workedPath.c_str(), cells,
                 check.workedPath.c_str());
  } else {
    std::fprintf(out, "%s: unchanged\n", check.workedPath.c_str());
  }
  if (gridChanges) {
    std::fprintf(out, "%s: %zu squares, the old table kept as %s.bak\n", check.gridPath.c_str(),
                 check.supportedSquares.size(), check.gridPath.c_str());
  } else {
    std::fprintf(out, "%s: unchanged\n", check.gridPath.c_str());
  }
}

}  // namespace

std::string rebuiltWorkedTable(const TableCheck& check, long long& changed) {
  std::string bytes = check.workedBytes;
  changed = 0;
  for (const CellFinding& f : check.cells) {
    if (upperChar(f.file) == kMarkCredited) continue;
    bytes[check.file.starts[f.line] + static_cast<size_t>(markColumn(f.category) - 1)] = f.logs;
    ++changed;
  }
  return bytes;
}

std::string rebuiltGridTable(const TableCheck& check) {
  std::vector<std::string> lines = check.gridLines;
  std::vector<bool> dropped(lines.size(), false);
  std::string added;
  for (const SquareFinding& f : check.squares) {
    const std::string supported = f.logs ? f.square + " " + f.logs : "";
    if (f.line == std::string::npos) {
      added += supported + "\r\n";
    } else if (f.verdict == Verdict::kUnsupported && (f.secondLine || !f.logs)) {
      dropped[f.line] = true;
    } else {
      std::string& line = lines[f.line];
      if (line.size() < 6) line = fitWidth(line, 5) + ' ';
      line[5] = f.logs;
    }
  }
  std::string bytes;
  for (size_t i = 0; i < lines.size(); ++i)
    if (!dropped[i]) bytes += lines[i] + "\r\n";
  return bytes + added;
}

int runRebuild(const CheckFiles& files, std::FILE* out, std::FILE* err) {
  const TableFolderLocks held = lockTableFolders({files.worked, files.grid});
  if (!held.busy.empty()) {
    std::fprintf(err, "awardsum: %s: a running logbook holds the tables of this station; end it first\n",
                 held.busy.c_str());
    return 3;
  }
  const std::optional<TableCheck> checked = checkOrSay(files, err);
  if (!checked) return 2;
  const TableCheck& check = *checked;
  std::fputs(checkSummary(check).c_str(), out);
  try {
    writeTables(check, out);
  } catch (const RuntimeError& e) {
    std::fprintf(err, "awardsum: %s\n", errorMessage(e).c_str());
    return 3;
  }
  return 0;
}

}  // namespace kivo
