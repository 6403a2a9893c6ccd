#include "logbook/interchange/table_update.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/worked_update.h"
#include "logbook/records/field_memo.h"

namespace kivo {

namespace {

// A field as the screen shows it (an importer's 0x00 as a blank), without a copy.
std::string_view fieldOf(const LogRecord& r, Field f) {
  const FieldInfo& info = fieldInfo(f);
  return {reinterpret_cast<const char*>(r.bytes.data()) + info.offset, static_cast<size_t>(info.width)};
}

// Everything of a record that the update reads: the entity, the mode, the award band,
// satellite and QRP, the QSL received, the square and the date rule. Two records
// with the same key do the same to the tables; one that changed nothing once will
// change nothing again, as the marks only move forward. A comment with a "$" tag
// sends the update on along the lines of the table, so such records get no key.
// Shown text never holds a 0x00, so the zeros after a shorter key tell it apart.
struct SettledKey {
  std::array<char, 32> bytes{};
  bool operator==(const SettledKey&) const = default;
};

struct SettledHash {
  size_t operator()(const SettledKey& key) const {
    uint64_t h = 0;
    for (size_t i = 0; i < key.bytes.size(); i += sizeof h) {  // eight bytes at a time
      uint64_t word;
      std::memcpy(&word, key.bytes.data() + i, sizeof word);
      h = (h ^ word) * 0x9E3779B97F4A7C15ull;
      h ^= h >> 32;
    }
    return static_cast<size_t>(h);
  }
};

char* putShown(char* to, std::string_view field) {
  for (char c : field) *to++ = c == '\0' ? ' ' : c;
  return to;
}

// The parts read from FREQ and PWR as numbers, for the field before: a log holds
// long runs of one frequency and one power, and each part depends on the field's
// bytes alone.
struct NumberParts {
  uint64_t freq = 0;
  uint32_t power = 0;
  bool known = false;
  char band = 'A', qrp = '-';
  bool squares = false;  // above 50 MHz, where the square counts

  void update(const LogRecord& r) {
    static_assert(fieldInfo(Field::FREQ).width == sizeof freq && fieldInfo(Field::PWR).width == sizeof power);
    uint64_t f;
    uint32_t p;
    std::memcpy(&f, r.bytes.data() + fieldInfo(Field::FREQ).offset, sizeof f);
    std::memcpy(&p, r.bytes.data() + fieldInfo(Field::PWR).offset, sizeof p);
    if (known && f == freq && p == power) return;
    freq = f;
    power = p;
    known = true;
    const float mhz = static_cast<float>(parseNumber(fieldOf(r, Field::FREQ)));
    const double watts = parseNumber(fieldOf(r, Field::PWR));
    int k = 0;
    for (int c = 1; c <= kCategoryCount; ++c)
      if (awardCategory(c).contains(mhz)) k = c;
    band = static_cast<char>('A' + k);
    qrp = watts >= 1 && watts <= 5 ? 'Q' : '-';
    squares = mhz > 49.9f;
  }

  // The date rule, kept for the dates met: a log holds some thousand days, each read
  // once.
  char dateRule(const LogRecord& r) {
    return dates.get(r.bytes.data(),
                     [&](const uint8_t*) { return datedBeforeAntillesSplit(fieldOf(r, Field::DATE)) ? 'B' : 'A'; });
  }
  FieldMemo<Field::DATE, char, 12> dates;
};

// What the comment holds that the update reads, in one pass over its 38 bytes.
struct CommentMarks {
  bool dollar = false, satellite = false;
  size_t hash = std::string_view::npos;  // the first "#"
  explicit CommentMarks(std::string_view text) {
    const auto at = [&](size_t i) { return i < text.size() ? text[i] : '\0'; };
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '$') dollar = true;
      if (c == '#' && hash == std::string_view::npos) hash = i;
      if (c == ' ' && at(i + 1) == 'S' && at(i + 2) == 'A' && at(i + 3) == 'T') satellite = true;
    }
  }
};

bool settledKey(const LogRecord& r, NumberParts& numbers, SettledKey& key) {
  char comments[38];
  static_assert(fieldInfo(Field::COMMENTS).width == sizeof comments);
  putShown(comments, fieldOf(r, Field::COMMENTS));
  const std::string_view text(comments, sizeof comments);
  const CommentMarks marks(text);
  if (marks.dollar) return false;
  numbers.update(r);
  key = SettledKey{};
  char* p = putShown(key.bytes.data(), fieldOf(r, Field::COUNTRY));
  p = putShown(p, fieldOf(r, Field::MODE));
  p = putShown(p, fieldOf(r, Field::SR).substr(1, 1));
  *p++ = numbers.band;
  *p++ = marks.satellite ? 'S' : '-';
  *p++ = numbers.qrp;
  *p++ = numbers.dateRule(r);
  if (marks.hash != std::string_view::npos && numbers.squares) {
    *p++ = '#';
    putShown(p, text.substr(marks.hash + 1, 4));
  }
  return true;
}

}  // namespace

struct TableUpdate::Keys {
  std::unordered_map<SettledKey, uint32_t, SettledHash> numbers;
  NumberParts parts;
};

namespace {
constexpr uint32_t kNoKey = UINT32_MAX;
}  // namespace

TableUpdate::TableUpdate() : keysOf_(std::make_unique<Keys>()) {}
TableUpdate::~TableUpdate() = default;

void TableUpdate::note(std::string_view records) {
  LogRecord r;
  SettledKey key;
  for (size_t at = 0; at + kRecordSize <= records.size(); at += kRecordSize) {
    std::memcpy(r.bytes.data(), records.data() + at, kRecordSize);
    if (!settledKey(r, keysOf_->parts, key)) {
      keys_.push_back(kNoKey);
      continue;
    }
    const auto [it, added] = keysOf_->numbers.try_emplace(key, static_cast<uint32_t>(keysOf_->numbers.size()));
    keys_.push_back(it->second);
  }
}

// The records applied in order, each to the tables as they stand after the one
// before; a key that changed nothing once is settled, and its later records are
// passed over unread.
void TableUpdate::apply(Logbook& lb, const RecordReader& read) {
  struct Batch {
    Logbook& lb;
    ~Batch() { endWorkedBatch(lb); }
  } batch{lb};
  beginWorkedBatch(lb);
  std::vector<bool> settled(keysOf_->numbers.size(), false);
  for (size_t i = 0; i < keys_.size(); ++i) {
    const uint32_t key = keys_[i];
    if (key != kNoKey && settled[key]) continue;
    read(i, lb.record);
    lb.tables.workedUpdated = lb.tables.gridUpdated = false;
    updateWorkedTables(lb);
    if (key != kNoKey && !lb.tables.workedUpdated && !lb.tables.gridUpdated) settled[key] = true;
  }
}

}  // namespace kivo
