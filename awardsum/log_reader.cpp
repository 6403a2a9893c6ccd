#include "awardsum/log_reader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/fatal.h"
#include "common/files.h"
#include "logbook/records/record_file.h"

namespace kivo {

namespace {

// Fills `length` bytes from `offset` unless the file ends first; the number read.
size_t readFully(int fd, uint8_t* buffer, size_t length, off_t offset, const std::string& log) {
  size_t done = 0;
  while (done < length) {
    ssize_t got = ::pread(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
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

// What a bus error while the log is mapped says: written by the signal handler,
// which may only use what is safe in one.
char cutShortMessage[1024];
size_t cutShortLength = 0;
struct sigaction previousBusHandler;

void onBusError(int) {
  (void)!::write(STDERR_FILENO, cutShortMessage, cutShortLength);
  ::_exit(2);
}

void sayCutShortOnBusError(const std::string& log) {
  const std::string text =
      "awardsum: " +
      errorMessage(RuntimeError(kFileIoError, "read " + log + ": the log was cut short while it was read"));
  cutShortLength = std::min(text.size(), sizeof cutShortMessage - 1);
  std::memcpy(cutShortMessage, text.data(), cutShortLength);
  cutShortMessage[cutShortLength++] = '\n';
  struct sigaction mine {};
  mine.sa_handler = onBusError;
  sigemptyset(&mine.sa_mask);
  ::sigaction(SIGBUS, &mine, &previousBusHandler);
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
  if (st.st_size == 0) return;
  void* bytes = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, file_.fd, 0);
  if (bytes == MAP_FAILED) return;  // read piece by piece instead
  sayCutShortOnBusError(log);
  map_.bytes = static_cast<const uint8_t*>(bytes);
  map_.length = static_cast<size_t>(st.st_size);
}

LogRecords::Mapping::~Mapping() {
  if (!bytes) return;
  ::munmap(const_cast<uint8_t*>(bytes), length);
  ::sigaction(SIGBUS, &previousBusHandler, nullptr);
}

LogRecords::Descriptor::~Descriptor() {
  if (fd >= 0) ::close(fd);
}

const uint8_t* LogRecords::records(long long first, size_t n, uint8_t* scratch) const {
  const size_t start = static_cast<size_t>(first) * kRecordSize, length = n * kRecordSize;
  if (map_.bytes && start + length <= map_.length) return map_.bytes + start;
  const size_t got = readFully(file_.fd, scratch, length, static_cast<off_t>(start), log_);
  std::memset(scratch + got, 0, length - got);
  return scratch;
}

}  // namespace kivo
