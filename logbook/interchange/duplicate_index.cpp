#include "logbook/interchange/duplicate_index.h"

#include <cstdlib>
#include <cstring>

#include "common/text.h"
#include "logbook/interchange/adif_bands.h"
#include "logbook/interchange/whole_file.h"

namespace kivo {

namespace {

constexpr int kNoTime = -10000;
constexpr int kTolerance = 2;

void copyShown(char* to, const uint8_t* record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  for (int i = 0; i < info.width; ++i) {
    const char c = static_cast<char>(record[info.offset + i]);
    to[i] = c == '\0' ? ' ' : c;  // an importer's 0x00 padding shows as a blank
  }
}

// The band number of FREQ. Runs of contacts share one frequency, so the last field
// and its band are kept: the band is a function of the field's eight bytes.
char bandOfField(const uint8_t* record) {
  const FieldInfo& info = fieldInfo(Field::FREQ);
  static_assert(fieldInfo(Field::FREQ).width == sizeof(uint64_t));
  thread_local uint64_t lastField = 0;
  thread_local char lastBand = 0;
  thread_local bool known = false;
  uint64_t field;
  std::memcpy(&field, record + info.offset, sizeof field);
  if (!known || field != lastField) {
    const auto mhz = static_cast<float>(parseNumber(
        std::string_view(reinterpret_cast<const char*>(record) + info.offset, static_cast<size_t>(info.width))));
    lastBand = static_cast<char>(bandIndex(bandOf(mhz)));
    lastField = field;
    known = true;
  }
  return lastBand;
}

}  // namespace

int DuplicateIndex::minutesOf(const LogRecord& record) { return minutesOf(record.bytes.data()); }

int DuplicateIndex::minutesOf(const uint8_t* record) {
  const uint8_t* t = record + fieldInfo(Field::TIME).offset;
  for (int i = 0; i < 4; ++i)
    if (t[i] < '0' || t[i] > '9') return kNoTime;
  return ((t[0] - '0') * 10 + (t[1] - '0')) * 60 + (t[2] - '0') * 10 + (t[3] - '0');
}

DuplicateIndex::Key DuplicateIndex::keyOf(const uint8_t* record) {
  Key key;
  copyShown(key.bytes, record, Field::STATION);
  copyShown(key.bytes + 16, record, Field::DATE);
  copyShown(key.bytes + 25, record, Field::MODE);
  key.bytes[29] = bandOfField(record);
  return key;
}

// Eight bytes at a time: the last word overlaps the one before.
uint64_t DuplicateIndex::hashOf(const Key& key) {
  static_assert(sizeof key.bytes == 30);
  uint64_t h = 0x9E3779B97F4A7C15ull;
  for (size_t at : {size_t{0}, size_t{8}, size_t{16}, size_t{22}}) {
    uint64_t word;
    std::memcpy(&word, key.bytes + at, sizeof word);
    h = (h ^ word) * 0xff51afd7ed558ccdull;
    h ^= h >> 32;
  }
  return h ^ (h >> 29);
}

namespace {
constexpr uint64_t kEntryBits = 0xFFFFFFFFull;
}

void DuplicateIndex::place(uint64_t hash, uint32_t entry) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i] != 0) i = (i + 1) & mask;
  slots_[i] = (hash & ~kEntryBits) | entry;
}

void DuplicateIndex::reserve(size_t contacts) {
  size_t want = 16;
  while (want < contacts * 2) want *= 2;
  if (want <= slots_.size()) return;
  // Every contact probes a random slot: huge pages spare the misses of the page table.
  std::vector<uint64_t> slots;
  slots.reserve(want);
  adviseHugePages(slots.data(), want * sizeof(uint64_t));
  slots.resize(want, 0);
  slots_.swap(slots);
  entries_.reserve(contacts);
  for (size_t e = 0; e < entries_.size(); ++e) place(hashOf(entries_[e].key), static_cast<uint32_t>(e + 1));
}

void DuplicateIndex::add(const LogRecord& record) {
  const int minutes = minutesOf(record);
  if (minutes == kNoTime) return;  // a contact without a time is like no other
  if ((count_ + 1) * 2 > slots_.size()) reserve(slots_.empty() ? 8 : slots_.size());
  entries_.push_back({keyOf(record.bytes.data()), static_cast<int16_t>(minutes)});
  place(hashOf(entries_.back().key), static_cast<uint32_t>(entries_.size()));
  ++count_;
}

bool DuplicateIndex::addIfNew(const LogRecord& record) {
  Lookup lookup;
  look(record.bytes.data(), lookup);
  return addIfNew(lookup);
}

void DuplicateIndex::look(const uint8_t* record, Lookup& lookup) const {
  lookup.minutes = minutesOf(record);
  if (lookup.minutes == kNoTime) return;
  lookup.key = keyOf(record);
  lookup.hash = hashOf(lookup.key);
  if (!slots_.empty()) __builtin_prefetch(&slots_[lookup.hash & (slots_.size() - 1)]);
}

// Contacts with the same key stand one after another on the probe sequence of their
// hash, so every one of them is met before the first empty slot.
bool DuplicateIndex::addIfNew(const Lookup& lookup) {
  const int minutes = lookup.minutes;
  if (minutes == kNoTime) return true;  // never a duplicate, and never met again
  if ((count_ + 1) * 2 > slots_.size()) reserve(slots_.empty() ? 8 : slots_.size());
  const Key& key = lookup.key;
  const uint64_t hash = lookup.hash;
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask) {
    if ((slots_[i] & ~kEntryBits) != (hash & ~kEntryBits)) continue;
    const Entry& e = entries_[(slots_[i] & kEntryBits) - 1];
    if (e.key == key && std::abs(e.minutes - minutes) <= kTolerance) return false;
  }
  entries_.push_back({key, static_cast<int16_t>(minutes)});
  slots_[i] = (hash & ~kEntryBits) | static_cast<uint32_t>(entries_.size());
  ++count_;
  return true;
}

}  // namespace kivo
