#include "logbook/interchange/sort_log.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "logbook/interchange/log_date_keys.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

struct Entry {
  double key;
  uint32_t index;
};

// The usual keys are whole numbers well inside 32 bits: then key and record number
// pack into one integer whose plain order is the sort's, which sorts fastest.
bool packable(const std::vector<Entry>& entries) {
  for (const Entry& e : entries)
    if (e.key != std::floor(e.key) || std::fabs(e.key) >= 2147483648.0) return false;
  return entries.size() < (1ull << 32);
}

void sortEntries(std::vector<Entry>& entries) {
  if (!packable(entries)) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.index > b.index; });
    return;
  }
  std::vector<uint64_t> packed(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint64_t key = static_cast<uint64_t>(static_cast<int64_t>(entries[i].key) + 2147483648LL);
    packed[i] = key << 32 | (0xFFFFFFFFu - entries[i].index);  // the higher record number first
  }
  std::sort(packed.begin(), packed.end());
  for (size_t i = 0; i < packed.size(); ++i)
    entries[i] = {0, static_cast<uint32_t>(0xFFFFFFFFu - (packed[i] & 0xFFFFFFFFu))};
}

}  // namespace

// The order of a repeated selection of the smallest key, in which the later of two
// equal keys wins: by key, and for equal keys by record number from the highest.
// The log is read once and held, sorted, and written once; there is no size limit.
void sortLog(Logbook& lb, OutputFile& out) {
  lb.console.printLineIn(palette::kBlinking, "Sorting");
  const size_t count = static_cast<size_t>(recordCount(lb));
  std::vector<uint8_t> log(count * kRecordSize);
  // A last record cut short reads as 0x00 past the end, as any record read does.
  const size_t got = count ? lb.log.readBytes(0, log.data(), log.size()) : 0;
  std::memset(log.data() + got, 0, log.size() - got);

  std::vector<Entry> entries(count);
  for (size_t i = 0; i < count; ++i) entries[i] = {sortKey(log.data() + i * kRecordSize), static_cast<uint32_t>(i)};
  sortEntries(entries);
  for (const Entry& e : entries) out.writeRecord(log.data() + static_cast<size_t>(e.index) * kRecordSize);
  lb.log.close();  // the menu reopens the log from the new file
}

}  // namespace kivo
