#pragma once
// The record files: the log and the inputs of the merge and the reports, as fixed
// 144-byte records numbered from 1.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivo {

inline constexpr size_t kRecordSize = 144;

// A file of fixed 144-byte records, numbered from 1.
class RecordFile {
 public:
  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  RecordFile(RecordFile&& other) noexcept;
  RecordFile& operator=(RecordFile&& other) noexcept;

  // Opens for reading and writing, creating the file when it does not exist.
  // False when it cannot; errno is kept in lastError.
  bool tryOpen(const std::string& name);
  void open(const std::string& name);
  bool isOpen() const { return fd_ >= 0; }
  const std::string& name() const { return name_; }
  // An advisory lock for as long as the file is open; false when another process
  // holds one.
  bool lockExclusive();
  // True when closing went well (or nothing was open).
  bool close();

  long long length() const;  // as of the last write or the opening
  // Length / 144 rounded to the nearest whole number, a half to even.
  long long count() const;
  // Reads record n; bytes past the end of the file read as 0x00.
  void read(long long n, uint8_t* record) const;
  // Reads up to `length` bytes from byte `offset`; fewer only at the end of the file.
  size_t readBytes(long long offset, uint8_t* buffer, size_t length) const;
  void write(long long n, const uint8_t* record);
  // Puts what was written since the last sync on the disk (fdatasync); nothing to
  // do when nothing was. A failure is runtime error 3.
  void sync();
  int lastError() const { return lastError_; }

 private:
  friend class RecordFileView;
  int fd_ = -1;
  std::string name_;
  int lastError_ = 0;
  // Kept from the opening on: the log is ours while it is open (the logbook holds
  // it locked), and asking the file system at every count costs a system call.
  long long length_ = 0;
  bool unsynced_ = false;  // written since the last sync
  // The records last read ahead; writes go through to them.
  static constexpr size_t kCacheRecords = 256;
  mutable std::vector<uint8_t> cache_;
  mutable long long cacheFirst_ = 0;
  mutable long long cacheCount_ = 0;
};

long long recordCountForLength(long long length);

// The whole of an open record file mapped for reading, for the commands that need
// every record at once. Pages come from the page cache; nothing is copied.
class RecordFileView {
 public:
  explicit RecordFileView(const RecordFile& file);
  ~RecordFileView();
  RecordFileView(const RecordFileView&) = delete;
  RecordFileView& operator=(const RecordFileView&) = delete;

  // Record n (from 1 to count), its missing bytes 0x00 when the file ends inside it.
  const uint8_t* record(long long n);
  long long count() const { return count_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t length_ = 0;
  long long count_ = 0;
  std::vector<uint8_t> tail_;  // a last record cut short, padded
};

}  // namespace kivo
