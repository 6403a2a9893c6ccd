#pragma once
// The file-size limit of `ulimit -f` for the life of the object, with SIGXFSZ ignored
// as the programs do, so a write past it fails with EFBIG.
#include <sys/resource.h>

namespace kivo::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

}  // namespace kivo::testing
