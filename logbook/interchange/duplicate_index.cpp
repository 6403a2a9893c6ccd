#include "logbook/interchange/duplicate_index.h"

#include <cstdlib>
#include <cstring>

#include "common/text.h"
#include "logbook/interchange/adif_bands.h"

namespace kivo {

namespace {

constexpr int kNoTime = -10000;
constexpr int kTolerance = 2;

void copyShown(char* to, const LogRecord& record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  for (int i = 0; i < info.width; ++i) {
    const char c = static_cast<char>(record.bytes[static_cast<size_t>(info.offset + i)]);
    to[i] = c == '\0' ? ' ' : c;  // an importer's 0x00 padding shows as a blank
  }
}

float frequencyOf(const LogRecord& record) {
  const FieldInfo& info = fieldInfo(Field::FREQ);
  return static_cast<float>(parseNumber(std::string_view(
      reinterpret_cast<const char*>(record.bytes.data()) + info.offset, static_cast<size_t>(info.width))));
}

}  // namespace

int DuplicateIndex::minutesOf(const LogRecord& record) {
  const uint8_t* t = record.bytes.data() + fieldInfo(Field::TIME).offset;
  for (int i = 0; i < 4; ++i)
    if (t[i] < '0' || t[i] > '9') return kNoTime;
  return ((t[0] - '0') * 10 + (t[1] - '0')) * 60 + (t[2] - '0') * 10 + (t[3] - '0');
}

DuplicateIndex::Key DuplicateIndex::keyOf(const LogRecord& record) {
  Key key;
  copyShown(key.bytes, record, Field::STATION);
  copyShown(key.bytes + 16, record, Field::DATE);
  copyShown(key.bytes + 25, record, Field::MODE);
  key.bytes[29] = static_cast<char>(bandIndex(bandOf(frequencyOf(record))));
  return key;
}

uint64_t DuplicateIndex::hashOf(const Key& key) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : key.bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h ^ (h >> 29);
}

void DuplicateIndex::reserve(size_t contacts) {
  size_t want = 16;
  while (want < contacts * 2) want *= 2;
  if (want <= slots_.size()) return;
  std::vector<Entry> old;
  old.swap(slots_);
  slots_.resize(want);
  count_ = 0;
  for (const Entry& e : old)
    if (e.used) {
      size_t i = hashOf(e.key) & (slots_.size() - 1);
      while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = e;
      ++count_;
    }
}

void DuplicateIndex::grow() { reserve(slots_.empty() ? 8 : slots_.size()); }

// Contacts with the same key stand one after another on the probe sequence of their
// hash, so every one of them is met before the first empty slot.
bool DuplicateIndex::contains(const LogRecord& record) const {
  if (slots_.empty()) return false;
  const int minutes = minutesOf(record);
  if (minutes == kNoTime) return false;
  const Key key = keyOf(record);
  for (size_t i = hashOf(key) & (slots_.size() - 1); slots_[i].used; i = (i + 1) & (slots_.size() - 1))
    if (slots_[i].key == key && std::abs(slots_[i].minutes - minutes) <= kTolerance) return true;
  return false;
}

void DuplicateIndex::add(const LogRecord& record) {
  const int minutes = minutesOf(record);
  if (minutes == kNoTime) return;  // a contact without a time is like no other
  if ((count_ + 1) * 2 > slots_.size()) grow();
  Entry e{keyOf(record), static_cast<int16_t>(minutes), true};
  size_t i = hashOf(e.key) & (slots_.size() - 1);
  while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
  slots_[i] = e;
  ++count_;
}

}  // namespace kivo
