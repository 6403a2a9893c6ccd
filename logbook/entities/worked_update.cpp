#include "logbook/entities/worked_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_rules.h"

namespace kivo {

// WORKED.CFM as read once for a run of updates, and held open for its patches.
struct WorkedTableCache {
  WorkedTableCache() = default;
  WorkedTableCache(const WorkedTableCache&) = delete;
  WorkedTableCache& operator=(const WorkedTableCache&) = delete;
  ~WorkedTableCache() {
    if (fd >= 0) ::close(fd);
  }

  bool loaded = false;
  bool patched = false;  // lines written since the last sync
  int fd = -1;           // open for writing from the first patch of a run on
  std::string path;
  WorkedLines table;

  // One line written in place; the run syncs once at its end.
  void patch(size_t i) {
    if (fd < 0) fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) fail(errorNumberFromErrno(errno), "open " + path);
    const std::string& line = table.lines[i];
    if (!writeAllAt(fd, line.data(), line.size(), static_cast<off_t>(table.starts[i])))
      fail(kFileIoError, "write " + path);
    patched = true;
  }

  void load(const std::string& file) {
    path = file;
    table.read(readWholeFile(path, kMaxTableBytes));
    if (table.lines.size() > kMaxTableLines) throw FileTooLarge(path);
    loaded = true;
  }
};

namespace {

// The line keeps its length, so its line end and every other line stay as they are.
// A single update is on the disk before it returns.
void overwriteLine(const std::string& path, off_t start, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) fail(errorNumberFromErrno(errno), "open " + path);
  if (!writeAllAt(fd, line.data(), line.size(), start) || ::fdatasync(fd) != 0) {
    ::close(fd);
    fail(kFileIoError, "write " + path);
  }
  if (::close(fd) != 0) fail(kFileIoError, "write " + path);
}

}  // namespace

void applyMark(Logbook& lb, char& cell) {
  const TableContact contact = readContact(lb.record);
  if (!contact.heldBack && advanceMark(cell, contact.received)) lb.tables.workedUpdated = true;
}

void updateGridTable(Logbook& lb) {
  lb.tables.gridUpdated = false;
  const TableContact contact = readContact(lb.record);
  const std::string_view square = contactSquare(contact);
  if (square.empty()) return;
  std::vector<std::string>& lines = lb.grid->lines;
  lb.tables.gridUpdated = applyToSquare(lines, findSquare(lines, square), square, contact.received);
  if (!lb.tables.gridUpdated) return;

  std::string bytes;
  for (const std::string& l : lines) {
    bytes += l;
    bytes += "\r\n";
  }
  writeFileAtomically(resolveExisting(lb.config.gridFileName), bytes);
}

void applySavedContacts(Logbook& lb) {
  if (lb.tables.savedContacts.empty()) return;
  std::vector<LogRecord> saved;
  saved.swap(lb.tables.savedContacts);
  const LogRecord buffer = lb.record;
  for (const LogRecord& contact : saved) {
    lb.record = contact;
    updateWorkedTables(lb);
  }
  lb.record = buffer;
}

bool categoryApplies(const LogRecord& record, int k) { return categoryApplies(readContact(record), k); }

void beginWorkedBatch(Logbook& lb) { lb.tables.workedCache = std::make_shared<WorkedTableCache>(); }

void syncWorkedBatch(Logbook& lb) {
  WorkedTableCache* cache = lb.tables.workedCache.get();
  if (cache == nullptr || !cache->patched) return;
  if (::fdatasync(cache->fd) != 0) fail(kFileIoError, "write " + cache->path);
  cache->patched = false;
}

void endWorkedBatch(Logbook& lb) {
  syncWorkedBatch(lb);
  lb.tables.workedCache.reset();
}

void updateWorkedTables(Logbook& lb) {
  const TableContact contact = readContact(lb.record);
  if (!contact.hasEntity()) return;
  lb.tables.workedUpdated = false;
  if (contact.touchesGrid()) updateGridTable(lb);

  // A single update reads the table afresh; a run of them shares one reading (the
  // station folder is ours for the run, so nobody else changes it meanwhile).
  WorkedTableCache single;
  WorkedTableCache& cache = lb.tables.workedCache ? *lb.tables.workedCache : single;
  if (!cache.loaded) cache.load(resolveExisting(lb.config.workedFileName));
  std::vector<size_t> changed;
  const WorkedApplied applied = applyToWorkedLines(cache.table, contact, changed);
  for (size_t i : changed) {
    lb.tables.workedUpdated = true;
    if (lb.tables.workedCache) {
      cache.patch(i);
    } else {
      overwriteLine(cache.path, static_cast<off_t>(cache.table.starts[i]), cache.table.lines[i]);
    }
  }
  lb.tables.workedUpdated = applied.updated;
}

}  // namespace kivo
