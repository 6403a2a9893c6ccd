#include "logbook/interchange/input_window.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "logbook/interchange/whole_file.h"

namespace kivo {

namespace {

long long newlines(const char* from, size_t n) {
  long long count = 0;
  for (size_t i = 0; i < n; ++i) count += from[i] == '\n';  // a loop the compiler vectorizes
  return count;
}

}  // namespace

InputWindow::~InputWindow() { close(); }

InputWindow::InputWindow(InputWindow&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      bytes_(std::move(other.bytes_)),
      size_(other.size_),
      base_(other.base_),
      atEnd_(other.atEnd_),
      error_(other.error_),
      device_(other.device_),
      inode_(other.inode_),
      sizeHint_(other.sizeHint_),
      seekable_(other.seekable_),
      counted_(other.counted_),
      line_(other.line_) {}

void InputWindow::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool InputWindow::open(const std::string& path, int& error, size_t windowBytes) {
  struct stat st;
  fd_ = openToRead(path, st, error);
  if (fd_ < 0) return false;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  seekable_ = S_ISREG(st.st_mode);
  sizeHint_ = seekable_ && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
  // A small file is read whole, in a window of its size and a byte (the read that
  // finds its end then has room).
  bytes_.resize(std::max<size_t>(sizeHint_ > 0 ? std::min(sizeHint_ + 1, windowBytes) : windowBytes, 1));
  more(0);
  if (error_ != 0) {
    error = error_;
    close();
    return false;
  }
  return true;
}

bool InputWindow::more(size_t keep) {
  if (atEnd_ || error_ != 0) return false;
  keep = std::min(keep, size_);
  if (!seekable_) countTo(base_ + static_cast<long long>(keep));  // a pipe cannot give them again
  std::memmove(bytes_.data(), bytes_.data() + keep, size_ - keep);
  size_ -= keep;
  base_ += static_cast<long long>(keep);
  if (size_ == bytes_.size()) bytes_.resize(bytes_.size() * 2);
  while (true) {
    const ssize_t got = ::read(fd_, bytes_.data() + size_, bytes_.size() - size_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error_ = errno;
      return false;
    }
    if (got == 0) {
      atEnd_ = true;
      return false;
    }
    size_ += static_cast<size_t>(got);
    return true;
  }
}

bool InputWindow::readAll() {
  while (more(0)) {
  }
  return error_ == 0;
}

long long InputWindow::lineAt(size_t at) {
  countTo(base_ + static_cast<long long>(std::min(at, size_)));
  return line_;
}

void InputWindow::countTo(long long offset) {
  // Bytes dropped from the window before they were counted: read again.
  char chunk[1 << 16];
  while (counted_ < std::min(offset, base_)) {
    const auto want = static_cast<size_t>(std::min<long long>(sizeof chunk, std::min(offset, base_) - counted_));
    const ssize_t got = ::pread(fd_, chunk, want, static_cast<off_t>(counted_));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {  // the file changed meanwhile: the count goes on from the window
      counted_ = base_;
      break;
    }
    line_ += newlines(chunk, static_cast<size_t>(got));
    counted_ += got;
  }
  if (offset > counted_) {
    line_ += newlines(bytes_.data() + (counted_ - base_), static_cast<size_t>(offset - counted_));
    counted_ = offset;
  }
}

bool AdifWindowScanner::next(AdifRecord& record) {
  while (true) {
    AdifScanner::Mark from = scanner_.mark();
    const bool got = scanner_.next(record);
    if (window_.atEnd() || (got && record.closed)) return got;
    if (!window_.more(from.position) && window_.error() != 0) return false;
    from.position = 0;
    scanner_.moveTo(window_.text(), from);
  }
}

}  // namespace kivo
