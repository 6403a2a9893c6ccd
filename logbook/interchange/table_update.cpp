#include "logbook/interchange/table_update.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/worked_update.h"

namespace kivo {

namespace {

std::string shown(const LogRecord& r, Field f) {
  std::string text = r.get(f);
  for (char& c : text)
    if (c == '\0') c = ' ';
  return text;
}

// Everything of a record that the update reads: the entity, the mode, the award band,
// satellite and QRP, the QSL received, the square and the date rule. Two records
// with the same key do the same to the tables; one that changed nothing once will
// change nothing again, as the marks only move forward. A comment with a "$" tag
// sends the update on along the lines of the table, so such records get no key.
std::string settledKey(const LogRecord& r) {
  const std::string comments = shown(r, Field::COMMENTS);
  if (comments.find('$') != std::string::npos) return {};
  const float mhz = static_cast<float>(parseNumber(r.get(Field::FREQ)));
  const double power = parseNumber(r.get(Field::PWR));
  std::string key = shown(r, Field::COUNTRY) + shown(r, Field::MODE) + shown(r, Field::SR).substr(1, 1);
  int band = 0;
  for (int k = 1; k <= kCategoryCount; ++k)
    if (awardCategory(k).contains(mhz)) band = k;
  key += static_cast<char>('A' + band);
  key += comments.find(" SAT") != std::string::npos ? 'S' : '-';
  key += power >= 1 && power <= 5 ? 'Q' : '-';
  key += datedBeforeAntillesSplit(r.get(Field::DATE)) ? 'B' : 'A';
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
    lb.workedUpdated = lb.gridUpdated = false;
    updateWorkedTables(lb);
    if (!key.empty() && !lb.workedUpdated && !lb.gridUpdated) settled.insert(std::move(key));
  }
}

}  // namespace kivo
