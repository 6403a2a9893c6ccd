#pragma once
// Reads a run of records of a log in large blocks, for the commands that walk the
// whole log: one system call per block instead of one per record.
#include <cstdint>
#include <vector>

#include "common/files.h"
#include "logbook/records/log_record.h"

namespace kivo {

class RecordScanner {
 public:
  // Records first..last of `file` (numbers from 1; an empty run when last < first).
  RecordScanner(const RecordFile& file, long long first, long long last);

  // The next record, or nullptr after the last one. Bytes past the end of the file
  // read as 0x00, as they do for a single record. Valid until the next call.
  const uint8_t* next();
  // Copies the next record into `record`; false after the last one.
  bool next(LogRecord& record);
  // The number of the record returned last.
  long long number() const { return next_ - 1; }

 private:
  void fill();

  const RecordFile& file_;
  long long next_;
  long long last_;
  long long blockFirst_ = 0;  // number of the first record in the block
  long long blockCount_ = 0;
  std::vector<uint8_t> block_;
};

}  // namespace kivo
