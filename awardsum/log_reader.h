#pragma once
// The records of a log read by number, for the checks that replay a whole log.
#include <cstdint>
#include <string>

namespace kivo {

// A log opened for reading only. The count is the logbook's (a trailing part of more
// than half a record counts, filled with 0x00). A missing log is runtime error 2, a
// failed read 3, and so is a log in the older line format, which the logbook
// converts when it opens it.
//
// The log is mapped rather than copied piece by piece, where the system allows. If
// another program cuts it short while it is read, a read past the new end would end
// the process with a bus error: it ends instead with runtime error 3 on standard
// error and status 2, as any other failed read of the check does.
class LogRecords {
 public:
  explicit LogRecords(const std::string& log);
  LogRecords(const LogRecords&) = delete;
  LogRecords& operator=(const LogRecords&) = delete;

  long long count() const { return count_; }
  // Records first .. first + n - 1 (from 0), n * 144 bytes: where the file is mapped,
  // or copied into `scratch` with the part of a last record that the file lacks as
  // 0x00. Two threads may read at once.
  const uint8_t* records(long long first, size_t n, uint8_t* scratch) const;

 private:
  // Closed however the reading ends, a failed open included.
  struct Descriptor {
    int fd = -1;
    ~Descriptor();
  };
  // Unmapped however the reading ends, and the bus-error handler put back.
  struct Mapping {
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    ~Mapping();
  };
  std::string log_;
  Descriptor file_;
  Mapping map_;
  long long count_ = 0;
};

}  // namespace kivo
