#include "awardsum/log_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "logbook/records/record_file.h"

namespace kivo {

namespace {

// Fills `length` bytes from `offset` unless the file ends first; the number read.
size_t readFully(int fd, uint8_t* buffer, size_t length, off_t offset, const std::string& log) {
  const ssize_t got = readAllAt(fd, buffer, length, offset);
  if (got < 0) fail(kFileIoError, "read " + log);
  return static_cast<size_t>(got);
}

// The first line's tenth byte is the separator only in the older line format.
bool inLineFormat(const uint8_t* bytes, size_t length) {
  return length >= 10 && std::find(bytes, bytes + 9, '\n') == bytes + 9 && bytes[9] == 0xFF;
}

}  // namespace

LogRecords::LogRecords(const std::string& log) : log_(log) {
  file_.fd = ::open(resolveExisting(log).c_str(), O_RDONLY | O_CLOEXEC);
  if (file_.fd < 0) fail(errorNumberFromErrno(errno), "open " + log);
  struct stat st;
  if (::fstat(file_.fd, &st) != 0 || !S_ISREG(st.st_mode)) fail(kFileIoError, "read " + log + ": not a log file");
  count_ = recordCountForLength(st.st_size);
  uint8_t head[10];
  if (inLineFormat(head, readFully(file_.fd, head, sizeof head, 0, log)))
    fail(kFileIoError, "read " + log + ": a log in the older line format (kivolog converts it when it opens it)");
}

LogRecords::Descriptor::~Descriptor() {
  if (fd >= 0) ::close(fd);
}

void LogRecords::read(long long first, size_t n, uint8_t* into) const {
  const size_t start = static_cast<size_t>(first) * kRecordSize, length = n * kRecordSize;
  const size_t got = readFully(file_.fd, into, length, static_cast<off_t>(start), log_);
  std::memset(into + got, 0, length - got);
}

}  // namespace kivo
