#pragma once
// The records of a log read by number, for the checks that replay a whole log.
#include <cstdint>
#include <string>

namespace kivo {

// A log opened for reading only. The count is the logbook's (a trailing part of more
// than half a record counts, filled with 0x00). A missing log is runtime error 2, a
// failed read 3, and so is a log in the older line format, which the logbook
// converts when it opens it.
class LogRecords {
 public:
  explicit LogRecords(const std::string& log);
  LogRecords(const LogRecords&) = delete;
  LogRecords& operator=(const LogRecords&) = delete;

  long long count() const { return count_; }
  // Records first .. first + n - 1 (from 0) read into `into`, n * 144 bytes; the part
  // of a last record that the file lacks reads as 0x00. Two threads may read at once.
  void read(long long first, size_t n, uint8_t* into) const;

 private:
  // Closed however the reading ends, a failed open included.
  struct Descriptor {
    int fd = -1;
    ~Descriptor();
  };
  std::string log_;
  Descriptor file_;
  long long count_ = 0;
};

}  // namespace kivo
