#include "logbook/interchange/table_update.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/worked_update.h"

namespace kivo {

namespace {

// A field as the screen shows it (an importer's 0x00 as a blank), without a copy.
std::string_view fieldOf(const LogRecord& r, Field f) {
  const FieldInfo& info = fieldInfo(f);
  return {reinterpret_cast<const char*>(r.bytes.data()) + info.offset, static_cast<size_t>(info.width)};
}

void appendShown(std::string& key, std::string_view field) {
  for (char c : field) key.push_back(c == '\0' ? ' ' : c);
}

// Everything of a record that the update reads: the entity, the mode, the award band,
// satellite and QRP, the QSL received, the square and the date rule. Two records
// with the same key do the same to the tables; one that changed nothing once will
// change nothing again, as the marks only move forward. A comment with a "$" tag
// sends the update on along the lines of the table, so such records get no key.
std::string settledKey(const LogRecord& r) {
  std::string comments;
  appendShown(comments, fieldOf(r, Field::COMMENTS));
  if (comments.find('$') != std::string::npos) return {};
  const float mhz = static_cast<float>(parseNumber(fieldOf(r, Field::FREQ)));
  const double power = parseNumber(fieldOf(r, Field::PWR));
  std::string key;
  key.reserve(32);
  appendShown(key, fieldOf(r, Field::COUNTRY));
  appendShown(key, fieldOf(r, Field::MODE));
  appendShown(key, fieldOf(r, Field::SR).substr(1, 1));
  int band = 0;
  for (int k = 1; k <= kCategoryCount; ++k)
    if (awardCategory(k).contains(mhz)) band = k;
  key += static_cast<char>('A' + band);
  key += comments.find(" SAT") != std::string::npos ? 'S' : '-';
  key += power >= 1 && power <= 5 ? 'Q' : '-';
  key += datedBeforeAntillesSplit(fieldOf(r, Field::DATE)) ? 'B' : 'A';
  const size_t hash = comments.find('#');
  if (hash != std::string::npos && mhz > 49.9f) key += "#" + comments.substr(hash + 1, 4);
  return key;
}

}  // namespace

void updateTablesFor(Logbook& lb, std::string_view records) {
  struct Batch {
    Logbook& lb;
    ~Batch() { endWorkedBatch(lb); }
  } batch{lb};
  beginWorkedBatch(lb);
  std::unordered_set<std::string> settled;
  for (size_t at = 0; at + kRecordSize <= records.size(); at += kRecordSize) {
    std::memcpy(lb.record.bytes.data(), records.data() + at, kRecordSize);
    std::string key = settledKey(lb.record);
    if (!key.empty() && settled.count(key)) continue;
    lb.tables.workedUpdated = lb.tables.gridUpdated = false;
    updateWorkedTables(lb);
    if (!key.empty() && !lb.tables.workedUpdated && !lb.tables.gridUpdated) settled.insert(std::move(key));
  }
}

}  // namespace kivo
