#include "logbook/entities/worked_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "logbook/entities/worked_rules.h"

namespace kivo {

// WORKED.CFM as read once for a run of updates.
struct WorkedTableCache {
  bool loaded = false;
  std::string path;
  WorkedLines table;

  void load(const std::string& file) {
    path = file;
    table.read(readWholeFile(path));
    loaded = true;
  }
};

namespace {

// The line keeps its length, so its line end and every other line stay as they are.
void overwriteLine(const std::string& path, off_t start, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) fail(errorNumberFromErrno(errno), "open " + path);
  if (!writeAllAt(fd, line.data(), line.size(), start)) {
    ::close(fd);
    fail(kFileIoError, "write " + path);
  }
  if (::close(fd) != 0) fail(kFileIoError, "write " + path);
}

}  // namespace

void applyMark(Logbook& lb, char& cell) {
  const TableContact contact = readContact(lb.record);
  if (!contact.heldBack && advanceMark(cell, contact.received)) lb.workedUpdated = true;
}

void updateGridTable(Logbook& lb) {
  lb.gridUpdated = false;
  const TableContact contact = readContact(lb.record);
  const std::string_view square = contactSquare(contact);
  if (square.empty()) return;
  std::vector<std::string>& lines = lb.grid.lines;
  lb.gridUpdated = applyToSquare(lines, findSquare(lines, square), square, contact.received);
  if (!lb.gridUpdated) return;

  std::string bytes;
  for (const std::string& l : lines) {
    bytes += l;
    bytes += "\r\n";
  }
  writeFileAtomically(resolveExisting(lb.config.gridFileName), bytes);
}

void beginWorkedBatch(Logbook& lb) { lb.workedCache = std::make_shared<WorkedTableCache>(); }
void endWorkedBatch(Logbook& lb) { lb.workedCache.reset(); }

void updateWorkedTables(Logbook& lb) {
  const TableContact contact = readContact(lb.record);
  if (!contact.hasEntity()) return;
  lb.workedUpdated = false;
  if (contact.touchesGrid()) updateGridTable(lb);

  // A single update reads the table afresh; a run of them shares one reading (the
  // station folder is ours for the run, so nobody else changes it meanwhile).
  WorkedTableCache single;
  WorkedTableCache& cache = lb.workedCache ? *lb.workedCache : single;
  if (!cache.loaded) cache.load(resolveExisting(lb.config.workedFileName));
  std::vector<size_t> changed;
  const WorkedApplied applied = applyToWorkedLines(cache.table, contact, changed);
  for (size_t i : changed) {
    lb.workedUpdated = true;
    overwriteLine(cache.path, static_cast<off_t>(cache.table.starts[i]), cache.table.lines[i]);
  }
  lb.workedUpdated = applied.updated;
}

}  // namespace kivo
