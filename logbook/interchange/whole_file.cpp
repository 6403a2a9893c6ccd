#include "logbook/interchange/whole_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace kivo {

void adviseHugePages(void* data, size_t size) {
  constexpr uintptr_t kHuge = uintptr_t{1} << 21;
  if (size < 4 * kHuge) return;
  // The whole huge pages inside the memory; the system may ignore the hint.
  const auto from = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto to = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHuge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void reserveLarge(std::string& bytes, size_t size) {
  bytes.reserve(size);
  adviseHugePages(bytes.data(), bytes.capacity());
}

int openToRead(const std::string& path, struct stat& st, int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    return -1;
  }
  return fd;
}

bool readWholeBytes(const std::string& path, std::string& bytes, int& error) {
  bytes.clear();
  struct stat st;
  const int fd = openToRead(path, st, error);
  if (fd < 0) return false;
  // Read straight into the text, in large pieces; a file that grows meanwhile, or one
  // whose size is not known (a pipe), grows the text as it goes.
  size_t done = 0;
  const size_t expected = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) : size_t{1} << 16;
  // A byte more than the file holds: the read that finds its end then has room, and
  // the text is not doubled (copied and cleared) for it.
  reserveLarge(bytes, expected + 1);
  bytes.resize(expected + 1);
  while (true) {
    if (done == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(fd, bytes.data() + done, std::min(bytes.size() - done, size_t{1} << 24));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = errno;
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  ::close(fd);
  return true;
}

}  // namespace kivo
