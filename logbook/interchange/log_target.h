#pragma once
// The log an import adds to: locked against a running logbook from the start, and
// put back as it was when anything fails before the end. The records are written a
// block at a time as they are made, and each block starts on its way to the disk at
// once, so that the sync at the end waits only for the last of them.
#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "common/files.h"
#include "logbook/interchange/input_window.h"
#include "logbook/interchange/log_import.h"
#include "logbook/records/log_record.h"

namespace kivo {

class LogTarget {
 public:
  explicit LogTarget(const ImportRequest& request);
  ~LogTarget();
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;

  // True when the input is this log itself.
  bool isFile(const InputWindow& in) const { return fd_ >= 0 && in.device() == device_ && in.inode() == inode_; }

  // The records already in the log.
  std::string existingRecords() const;

  // Appends records after the last one (as the logbook counts them), or after those
  // of the calls before.
  void write(std::string_view records);

  // Makes what was written durable; a new log takes its name (empty when nothing
  // was written).
  void finish();

  // The i-th record written (from 0), read back a block at a time.
  void readBack(size_t i, LogRecord& record);

  // Puts the log back as it was before the first write. Errors here can only be
  // reported.
  bool rollback();

  void keep() { existed_ = true; }

 private:
  static constexpr size_t kReadBackBytes = size_t{1} << 20;

  // A short last record is completed by the first new one: its bytes are kept to be
  // put back.
  void keepTail();

  bool removeIfCreated();

  bool fresh_;
  std::string name_, path_;
  bool existed_ = true;
  int fd_ = -1;
  long long length_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool written_ = false;
  std::string tail_;
  off_t firstAt_ = 0, next_ = 0;          // where the first new record went, and the next one goes
  std::unique_ptr<AtomicWriter> writer_;  // a new log, until it takes its name
  int readFd_ = -1;                       // a new log, after it took its name
  std::string cache_;
  long long cachedFrom_ = 0;
};

}  // namespace kivo
