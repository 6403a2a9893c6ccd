#include "logbook/interchange/log_target.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "logbook/records/log_store.h"

namespace kivo {

LogTarget::LogTarget(const ImportRequest& request) : fresh_(!request.newLog.empty()) {
  name_ = fresh_ ? request.newLog : request.log;
  if (fresh_) {
    if (fileExists(name_)) throw ConversionError(2, name_ + " exists; --new writes only a log that is not there yet");
    return;
  }
  path_ = resolveExisting(name_);
  existed_ = fileExists(path_);
  if (!existed_) path_ = resolveForCreate(name_);
  if (existed_ && isLineFormatLog(path_))
    throw ConversionError(2, name_ + " is a log in the older line format: open it once in kivolog to convert it");
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) throw ConversionError(3, "cannot open " + name_ + ": " + std::strerror(errno));
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    throw ConversionError(3, name_ + " is open in a running logbook (or another import); nothing was added");
  }
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) fail(kFileIoError, "open " + name_);
  length_ = st.st_size;
  device_ = st.st_dev;
  inode_ = st.st_ino;
}

LogTarget::~LogTarget() {
  if (fd_ >= 0) ::close(fd_);
  if (readFd_ >= 0) ::close(readFd_);
}

std::string LogTarget::existingRecords() const {
  std::string bytes;
  if (fd_ < 0 || length_ == 0) return bytes;
  bytes.resize(static_cast<size_t>(length_));
  if (readAllAt(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
    fail(kFileIoError, "read " + name_);
  bytes.resize(static_cast<size_t>(recordCountForLength(length_)) * kRecordSize, '\0');
  return bytes;
}

void LogTarget::write(std::string_view records) {
  if (records.empty()) return;
  if (fresh_) {
    if (!writer_) writer_ = std::make_unique<AtomicWriter>(name_);
    writer_->write(records);
    return;
  }
  if (!written_) keepTail();
  if (!writeAllAt(fd_, records.data(), records.size(), next_)) fail(kFileIoError, "write " + name_);
  startWriteBack(fd_, next_, records.size());
  next_ += static_cast<off_t>(records.size());
}

void LogTarget::finish() {
  if (fresh_) {
    if (!writer_) writer_ = std::make_unique<AtomicWriter>(name_);
    readFd_ = ::dup(writer_->descriptor());  // the records stay readable after the rename
    if (readFd_ < 0) fail(kFileIoError, "write " + name_);
    writer_->commit();
    written_ = true;
    return;
  }
  if (written_ && ::fsync(fd_) != 0) fail(kFileIoError, "write " + name_);
}

void LogTarget::readBack(size_t i, LogRecord& record) {
  const int fd = fresh_ ? readFd_ : fd_;
  const long long at = static_cast<long long>(i * kRecordSize);
  if (at < cachedFrom_ ||
      at + static_cast<long long>(kRecordSize) > cachedFrom_ + static_cast<long long>(cache_.size())) {
    cache_.resize(kReadBackBytes);
    cachedFrom_ = at;
    const ssize_t got = readAllAt(fd, cache_.data(), cache_.size(), static_cast<off_t>(firstAt_ + at));
    if (got < 0) fail(kFileIoError, "read " + name_);
    const auto done = static_cast<size_t>(got);
    cache_.resize(done - done % kRecordSize);
    if (cache_.empty()) fail(kFileIoError, "read " + name_);
  }
  std::memcpy(record.bytes.data(), cache_.data() + (at - cachedFrom_), kRecordSize);
}

bool LogTarget::rollback() {
  writer_.reset();  // a new log not yet named: its temporary file goes
  if (!written_) return removeIfCreated();
  written_ = false;
  if (fresh_) return removeFile(name_);
  const off_t at = static_cast<off_t>(length_) - static_cast<off_t>(tail_.size());
  bool ok = ::ftruncate(fd_, static_cast<off_t>(length_)) == 0;
  if (!tail_.empty()) ok = writeAllAt(fd_, tail_.data(), tail_.size(), at) && ok;
  ok = ::fsync(fd_) == 0 && ok;
  return removeIfCreated() && ok;
}

void LogTarget::keepTail() {
  const off_t at = static_cast<off_t>(recordCountForLength(length_) * static_cast<long long>(kRecordSize));
  tail_.resize(static_cast<size_t>(length_ - at > 0 ? length_ - at : 0));
  if (!tail_.empty() && ::pread(fd_, tail_.data(), tail_.size(), at) != static_cast<ssize_t>(tail_.size()))
    fail(kFileIoError, "read " + name_);
  written_ = true;
  firstAt_ = next_ = at;
}

bool LogTarget::removeIfCreated() {
  if (fresh_ || existed_ || fd_ < 0) return true;
  return length_ == 0 && ::unlink(path_.c_str()) == 0;
}

}  // namespace kivo
