#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace kivo::testing {

TempDir::TempDir() {
  char pattern[] = "/tmp/kivo-test-XXXXXX";
  // Without a folder of its own a test would write into the source tree: better stop.
  if (!::mkdtemp(pattern)) std::abort();
  path_ = pattern;
  old_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::current_path(old_, ec);
  // The folder that was left may be gone already (a benchmark's, removed by hand).
  if (ec) std::filesystem::current_path("/", ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace kivo::testing
