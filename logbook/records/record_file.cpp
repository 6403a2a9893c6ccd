// The record files: the log and the inputs of the merge, by record number.
#include "logbook/records/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"

namespace kivo {

// ---- RecordFile ----

long long recordCountForLength(long long length) {
  if (length <= 0) return 0;
  long long count = length / static_cast<long long>(kRecordSize);
  long long rest = length % static_cast<long long>(kRecordSize);
  const long long half = kRecordSize / 2;
  if (rest > half || (rest == half && count % 2 == 1)) ++count;
  return count;
}

RecordFile::~RecordFile() { close(); }

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(other.fd_),
      name_(std::move(other.name_)),
      lastError_(other.lastError_),
      length_(other.length_),
      unsynced_(other.unsynced_) {
  other.fd_ = -1;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    name_ = std::move(other.name_);
    lastError_ = other.lastError_;
    length_ = other.length_;
    unsynced_ = other.unsynced_;
    cacheCount_ = 0;
    other.fd_ = -1;
  }
  return *this;
}

bool RecordFile::tryOpen(const std::string& name) {
  close();
  std::string path = resolveExisting(name);
  if (!fileExists(path)) path = resolveForCreate(name);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  lastError_ = fd_ < 0 ? errno : 0;
  if (fd_ >= 0) {
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      lastError_ = EISDIR;
      return false;
    }
    length_ = st.st_size;
  }
  cacheCount_ = 0;
  unsynced_ = false;
  name_ = name;
  return fd_ >= 0;
}

bool RecordFile::lockExclusive() {
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
    if (errno != EINTR) return false;
  return true;
}

void RecordFile::open(const std::string& name) {
  if (!tryOpen(name)) fail(lastError_ == EISDIR ? kFileIoError : errorNumberFromErrno(lastError_), "open " + name);
}

bool RecordFile::close() {
  cacheCount_ = 0;
  if (fd_ < 0) return true;
  int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0;
}

long long RecordFile::length() const { return fd_ < 0 ? 0 : length_; }

long long RecordFile::count() const { return recordCountForLength(length()); }

size_t RecordFile::readBytes(long long offset, uint8_t* buffer, size_t length) const {
  if (fd_ < 0) fail(kFileIoError, "read " + name_);
  const ssize_t got = readAllAt(fd_, buffer, length, static_cast<off_t>(offset));
  if (got < 0) fail(kFileIoError, "read " + name_);
  return static_cast<size_t>(got);
}

void RecordFile::read(long long n, uint8_t* record) const {
  if (fd_ < 0) fail(kFileIoError, "read " + name_);
  if (n < 1) fail(kIllegalFunctionCall, "read record " + std::to_string(n));
  if (n < cacheFirst_ || n >= cacheFirst_ + cacheCount_) {
    // The records from n on are read in one go: the browse screen and the runs ask
    // for their neighbours next. Bytes past the end of the file read as 0x00.
    cache_.resize(kCacheRecords * kRecordSize);
    const size_t got = readBytes((n - 1) * static_cast<long long>(kRecordSize), cache_.data(), cache_.size());
    std::memset(cache_.data() + got, 0, cache_.size() - got);
    cacheFirst_ = n;
    cacheCount_ = static_cast<long long>(kCacheRecords);
  }
  std::memcpy(record, cache_.data() + static_cast<size_t>(n - cacheFirst_) * kRecordSize, kRecordSize);
}

void RecordFile::sync() {
  if (fd_ < 0 || !unsynced_) return;
  if (::fdatasync(fd_) != 0) fail(kFileIoError, "write " + name_);
  unsynced_ = false;
}

void RecordFile::write(long long n, const uint8_t* record) {
  if (fd_ < 0) fail(kFileIoError, "write " + name_);
  if (n < 1) fail(kIllegalFunctionCall, "write record " + std::to_string(n));
  off_t offset = static_cast<off_t>(n - 1) * static_cast<off_t>(kRecordSize);
  if (!writeAllAt(fd_, reinterpret_cast<const char*>(record), kRecordSize, offset)) {
    // A full disk or a file-size limit can cut a new record short: the log goes back
    // to its length before, so no piece of a record is left at its end.
    struct stat st;
    if (::fstat(fd_, &st) == 0 && st.st_size > length_) (void)!::ftruncate(fd_, static_cast<off_t>(length_));
    cacheCount_ = 0;
    fail(kFileIoError, "write " + name_);
  }
  length_ = std::max<long long>(length_, offset + static_cast<long long>(kRecordSize));
  unsynced_ = true;
  if (n >= cacheFirst_ && n < cacheFirst_ + cacheCount_)
    std::memcpy(cache_.data() + static_cast<size_t>(n - cacheFirst_) * kRecordSize, record, kRecordSize);
}

// ---- RecordFileView ----

RecordFileView::RecordFileView(const RecordFile& file) {
  if (file.fd_ < 0) fail(kFileIoError, "read " + file.name_);
  length_ = static_cast<size_t>(file.length());
  count_ = recordCountForLength(static_cast<long long>(length_));
  if (length_ == 0) return;
  void* p = ::mmap(nullptr, length_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd_, 0);
  if (p == MAP_FAILED) fail(errno == ENOMEM ? kOutOfMemory : kFileIoError, "read " + file.name_);
  data_ = static_cast<const uint8_t*>(p);
  ::madvise(p, length_, MADV_SEQUENTIAL);
}

RecordFileView::~RecordFileView() {
  if (data_) ::munmap(const_cast<uint8_t*>(data_), length_);
}

const uint8_t* RecordFileView::record(long long n) {
  const size_t at = static_cast<size_t>(n - 1) * kRecordSize;
  if (at + kRecordSize <= length_) return data_ + at;
  tail_.assign(kRecordSize, 0);
  if (at < length_) std::memcpy(tail_.data(), data_ + at, length_ - at);
  return tail_.data();
}

}  // namespace kivo
