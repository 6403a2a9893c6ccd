#include "common/fd_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kivo {

namespace {

// A write that took nothing would come back the same way for ever.
bool advance(ssize_t n, const char*& data, size_t& length) {
  if (n == 0) errno = EIO;
  if (n <= 0) return false;
  data += n;
  length -= static_cast<size_t>(n);
  return true;
}

}  // namespace

bool writeAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (!advance(n, data, length)) return false;
  }
  return true;
}

bool writeAllAt(int fd, const char* data, size_t length, off_t offset) {
  while (length > 0) {
    ssize_t n = ::pwrite(fd, data, length, offset);
    if (n < 0 && errno == EINTR) continue;
    if (!advance(n, data, length)) return false;
    offset += n;
  }
  return true;
}

ssize_t readAllAt(int fd, void* data, size_t length, off_t offset) {
  size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd, static_cast<char*>(data) + done, length - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

void startWriteBack(int fd, off_t offset, size_t length) {
  ::sync_file_range(fd, offset, static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

}  // namespace kivo
