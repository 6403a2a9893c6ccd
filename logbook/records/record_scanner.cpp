#include "logbook/records/record_scanner.h"

#include <algorithm>
#include <cstring>

namespace kivo {

namespace {
// About a megabyte of whole records.
constexpr long long kBlockRecords = (1 << 20) / static_cast<long long>(kRecordSize);
}  // namespace

RecordScanner::RecordScanner(const RecordFile& file, long long first, long long last)
    : file_(file), next_(std::max(1LL, first)), last_(last) {}

void RecordScanner::fill() {
  blockFirst_ = next_;
  blockCount_ = std::min(kBlockRecords, last_ - next_ + 1);
  const size_t bytes = static_cast<size_t>(blockCount_) * kRecordSize;
  block_.resize(bytes);
  const size_t got = file_.readBytes((blockFirst_ - 1) * static_cast<long long>(kRecordSize), block_.data(), bytes);
  std::memset(block_.data() + got, 0, bytes - got);
}

const uint8_t* RecordScanner::next() {
  if (next_ > last_) return nullptr;
  if (next_ >= blockFirst_ + blockCount_ || blockCount_ == 0) fill();
  const uint8_t* record = block_.data() + static_cast<size_t>(next_ - blockFirst_) * kRecordSize;
  ++next_;
  return record;
}

bool RecordScanner::next(LogRecord& record) {
  const uint8_t* bytes = next();
  if (!bytes) return false;
  std::memcpy(record.bytes.data(), bytes, kRecordSize);
  return true;
}

}  // namespace kivo
