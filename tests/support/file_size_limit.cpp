#include "tests/support/file_size_limit.h"

#include <algorithm>
#include <csignal>

namespace kivo::testing {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  ::getrlimit(RLIMIT_FSIZE, &old_);
  rlimit lower = old_;
  lower.rlim_cur = std::min(bytes, old_.rlim_max);
  ::setrlimit(RLIMIT_FSIZE, &lower);
  oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
}

FileSizeLimit::~FileSizeLimit() {
  ::setrlimit(RLIMIT_FSIZE, &old_);
  std::signal(SIGXFSZ, oldHandler_);
}

}  // namespace kivo::testing
