#include "logbook/entities/worked_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

// A field as the browse screen shows it: importers pad with 0x00 bytes, which show
// as blanks, and a padded field must compare and test like the one typed in.
std::string shownField(const LogRecord& record, Field f) {
  std::string text = record.get(f);
  for (char& c : text)
    if (c == '\0') c = ' ';
  return text;
}

char qslReceived(const LogRecord& record) { return shownField(record, Field::SR)[1]; }

float frequencyMHz(const LogRecord& record) { return static_cast<float>(parseNumber(record.get(Field::FREQ))); }

bool isAntillesSplitEntity(std::string_view country) {
  for (std::string_view name : {"CURACAO", "BONAIRE", "SABA & ST. E", "ST. MAARTEN"})
    if (country.substr(0, name.size()) == name) return true;
  return false;
}

struct Contact {
  bool satellite = false;
  bool qrp = false;
  std::string mode;
  float mhz = 0;
};

bool categoryApplies(const Contact& c, int k) {
  switch (k) {
    case kMixed: return !c.satellite;
    case kPhone: return !c.satellite && c.mode == "SSB ";
    case kCw: return !c.satellite && c.mode == "CW  ";
    case kDigital: return c.mode != "FM  " && c.mode != "AM  " && c.mode != "CW  " && c.mode != "SSB ";
    case kSatellite: return c.satellite;
    case kQrp: return c.qrp;
    default: return !c.satellite && awardCategory(k).contains(c.mhz);
  }
}

Contact contactOf(const LogRecord& record) {
  Contact c;
  c.mhz = frequencyMHz(record);
  c.satellite = shownField(record, Field::COMMENTS).find(" SAT") != std::string::npos;
  const double power = parseNumber(record.get(Field::PWR));
  c.qrp = power >= 1 && power <= 5;
  c.mode = shownField(record, Field::MODE);
  return c;
}

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

bool datedBeforeAntillesSplit(std::string_view date) {
  auto part = [&](size_t at, size_t n) { return at < date.size() ? date.substr(at, n) : std::string_view(); };
  long long day = roundHalfEven(parseNumber(part(0, 2)));
  long long yy = roundHalfEven(parseNumber(part(7, 2)));
  long long year = yy < 50 ? 2000 + yy : 1900 + yy;
  const int month = monthNumber(part(3, 3));  // unknown: 0, before January
  if (year != 2010) return year < 2010;
  if (month != 10) return month < 10;
  return day < 10;
}

void applyMark(Logbook& lb, char& cell) {
  if (isAntillesSplitEntity(shownField(lb.record, Field::COUNTRY)) &&
      datedBeforeAntillesSplit(lb.record.get(Field::DATE)))
    return;
  char r = qslReceived(lb.record);
  char m = upperChar(cell);
  if (m == ' ') {
    cell = m = '\\';
    lb.workedUpdated = true;
  } else if (m == 'L') {
    if (r == 'X') {
      cell = 'B';
      lb.workedUpdated = true;
    }
    return;
  } else if (m == 'X') {
    if (r == 'L' || r == 'B') {
      cell = 'B';
      lb.workedUpdated = true;
    }
    return;
  }
  if (r != ' ' && m != 'C' && m != 'X' && m != 'B') {
    cell = (r == 'L' || r == 'B') ? r : 'X';
    lb.workedUpdated = true;
  }
}

void updateGridTable(Logbook& lb) {
  lb.gridUpdated = false;
  const std::string comments = shownField(lb.record, Field::COMMENTS);
  size_t hash = comments.find('#');
  // The square needs four characters after the "#" inside the comment.
  if (hash == std::string::npos || hash + 4 >= comments.size()) return;
  const std::string square = comments.substr(hash + 1, 4);

  std::vector<std::string>& lines = lb.grid.lines;
  size_t i = 0;
  while (i < lines.size() && !(lines[i].size() >= 4 && lines[i].compare(0, 4, square) == 0)) ++i;
  if (i == lines.size()) {
    lines.push_back(square + " /");
    lb.gridUpdated = true;
  }
  std::string& line = lines[i];
  if (qslReceived(lb.record) != ' ' && (line.size() < 6 || line[5] != 'X')) {
    if (line.size() >= 6) line[5] = 'X';
    lb.gridUpdated = true;
  }
  if (!lb.gridUpdated) return;

  std::string bytes;
  for (const std::string& l : lines) {
    bytes += l;
    bytes += "\r\n";
  }
  writeFileAtomically(resolveExisting(lb.config.gridFileName), bytes);
}

// WORKED.CFM as read once for a run of updates: its lines, where each starts, and
// the entity lines by name and those that may carry a tag.
struct WorkedTableCache {
  bool loaded = false;
  std::string path;
  std::vector<std::string> lines;
  std::vector<off_t> starts;
  std::unordered_map<std::string, std::vector<size_t>> byName;
  std::vector<size_t> withDollar;

  // Every line with the byte position at which it starts, whatever its line end
  // (CR LF, LF, or none on the last line).
  void load(const std::string& file) {
    *this = WorkedTableCache{};
    path = file;
    const std::string bytes = readWholeFile(path);
    for (size_t start = 0; start < bytes.size();) {
      size_t lf = bytes.find('\n', start);
      size_t end = lf == std::string::npos ? bytes.size() : lf;
      size_t stop = lf != std::string::npos && end > start && bytes[end - 1] == '\r' ? end - 1 : end;
      std::string line = bytes.substr(start, stop - start);
      if (isEntityLine(line)) {
        byName[std::string(entityNameOf(line))].push_back(lines.size());
        if (line.find('$') != std::string::npos) withDollar.push_back(lines.size());
      }
      lines.push_back(std::move(line));
      starts.push_back(static_cast<off_t>(start));
      start = end + 1;
    }
    loaded = true;
  }

  // The entity lines that the contact's name or tag could select, in file order.
  std::vector<size_t> candidates(const std::string& country, const std::string& tag) const {
    std::vector<size_t> out;
    auto named = byName.find(country);
    if (named != byName.end()) out = named->second;
    if (!tag.empty()) {
      const size_t own = out.size();
      out.insert(out.end(), withDollar.begin(), withDollar.end());
      std::inplace_merge(out.begin(), out.begin() + static_cast<long>(own), out.end());
      out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    return out;
  }
};

bool categoryApplies(const LogRecord& record, int k) { return categoryApplies(contactOf(record), k); }

void beginWorkedBatch(Logbook& lb) { lb.workedCache = std::make_shared<WorkedTableCache>(); }
void endWorkedBatch(Logbook& lb) { lb.workedCache.reset(); }

void updateWorkedTables(Logbook& lb) {
  const std::string country = shownField(lb.record, Field::COUNTRY);
  if (country[0] == ' ' || country.find('?') != std::string::npos) return;
  lb.workedUpdated = false;

  const std::string comments = shownField(lb.record, Field::COMMENTS);
  const Contact contact = contactOf(lb.record);
  if (comments.find('#') != std::string::npos && contact.mhz > 49.9f) updateGridTable(lb);
  const std::string tag = contactTag(comments);

  // A single update reads the table afresh; a run of them shares one reading (the
  // station folder is ours for the run, so nobody else changes it meanwhile).
  WorkedTableCache single;
  WorkedTableCache& table = lb.workedCache ? *lb.workedCache : single;
  if (!table.loaded) table.load(resolveExisting(lb.config.workedFileName));
  for (size_t i : table.candidates(country, tag)) {
    std::string& line = table.lines[i];
    bool byName = entityNameOf(line) == country;
    if (!byName && !hasTag(line, tag)) continue;
    for (int k = 1; k <= kCategoryCount; ++k)
      if (categoryApplies(contact, k)) applyMark(lb, line[static_cast<size_t>(markColumn(k) - 1)]);
    if (!lb.workedUpdated) continue;
    overwriteLine(table.path, table.starts[i], line);
    // The tagged line is the one the contact is really for: go on until it is reached.
    if (byName && !tag.empty() && !hasTag(line, tag)) {
      lb.workedUpdated = false;
      continue;
    }
    break;
  }
}

}  // namespace kivo
