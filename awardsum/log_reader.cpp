#include "awardsum/log_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "logbook/records/record_file.h"

namespace kivo {

namespace {

// Closes the descriptor however the reading ends.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Fills `length` bytes unless the file ends first; the number read.
size_t readFully(int fd, uint8_t* buffer, size_t length, const std::string& log) {
  size_t done = 0;
  while (done < length) {
    ssize_t got = ::read(fd, buffer + done, length - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail(kFileIoError, "read " + log);
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// The first line's tenth byte is the separator only in the older line format.
bool inLineFormat(const uint8_t* bytes, size_t length) {
  return length >= 10 && std::find(bytes, bytes + 9, '\n') == bytes + 9 && bytes[9] == 0xFF;
}

}  // namespace

void forEachRecord(const std::string& log, const std::function<void(const uint8_t*)>& each) {
  Descriptor file{::open(resolveExisting(log).c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) fail(errorNumberFromErrno(errno), "open " + log);
  struct stat st;
  if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) fail(kFileIoError, "read " + log + ": not a log file");
  long long left = recordCountForLength(st.st_size);
  // About a megabyte at a time: as fast as reading it whole, without holding it.
  constexpr size_t kChunkRecords = 7282;
  std::vector<uint8_t> buffer(kChunkRecords * kRecordSize);
  if (inLineFormat(buffer.data(), readFully(file.fd, buffer.data(), 10, log)))
    fail(kFileIoError, "read " + log + ": a log in the older line format (kivolog converts it when it opens it)");
  if (::lseek(file.fd, 0, SEEK_SET) != 0) fail(kFileIoError, "read " + log);
  while (left > 0) {
    const size_t records = static_cast<size_t>(std::min<long long>(left, kChunkRecords));
    const size_t got = readFully(file.fd, buffer.data(), records * kRecordSize, log);
    // The part of a last record that the file lacks reads as 0x00.
    std::fill(buffer.begin() + static_cast<long>(got), buffer.begin() + static_cast<long>(records * kRecordSize), 0);
    for (size_t r = 0; r < records; ++r) each(buffer.data() + r * kRecordSize);
    left -= static_cast<long long>(records);
  }
}

}  // namespace kivo
