#include "logbook/interchange/sort_log.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "logbook/interchange/log_date_keys.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

struct Entry {
  double key;
  uint32_t index;
};

// Least significant digit first, 16 bits a pass: stable, so the packed order holds.
void radixSort(std::vector<uint64_t>& values) {
  std::vector<uint64_t> other(values.size());
  for (int shift = 0; shift < 64; shift += 16) {
    std::vector<size_t> start(65537, 0);
    for (uint64_t v : values) ++start[((v >> shift) & 0xFFFF) + 1];
    if (start[1] == values.size() && shift > 0) continue;  // every value has a zero digit here
    for (size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
    for (uint64_t v : values) other[start[(v >> shift) & 0xFFFF]++] = v;
    values.swap(other);
  }
}

// The usual keys are whole numbers well inside 32 bits: then key and record number
// pack into one integer whose plain order is the sort's.
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
  radixSort(packed);
  for (size_t i = 0; i < packed.size(); ++i)
    entries[i] = {0, static_cast<uint32_t>(0xFFFFFFFFu - (packed[i] & 0xFFFFFFFFu))};
}

}  // namespace

// The order of a repeated selection of the smallest key, in which the later of two
// equal keys wins: by key, and for equal keys by record number from the highest.
// The log is read once, sorted in memory and written once; there is no size limit.
void sortLog(Logbook& lb, OutputFile& out) {
  lb.console.printLineIn(palette::kBlinking, "Sorting");
  RecordFileView log(lb.log);
  std::vector<Entry> entries(static_cast<size_t>(log.count()));
  for (size_t i = 0; i < entries.size(); ++i)
    entries[i] = {sortKey(log.record(static_cast<long long>(i) + 1)), static_cast<uint32_t>(i)};
  sortEntries(entries);
  for (const Entry& e : entries) out.writeRecord(log.record(static_cast<long long>(e.index) + 1));
  lb.log.close();  // the menu reopens the log from the new file
}

}  // namespace kivo
