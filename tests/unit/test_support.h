#pragma once
// Shared helpers of the unit and scenario tests.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

namespace kivo::testing {

// A fresh folder that is the working directory while the object lives.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kivo-test-XXXXXX";
    path_ = ::mkdtemp(pattern);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::filesystem::path old_;
};

inline void writeFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& name) { return std::filesystem::exists(name); }

// The file-size limit of `ulimit -f`, with SIGXFSZ ignored as the programs do, so a
// write past it fails with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lower = old_;
    lower.rlim_cur = std::min(bytes, old_.rlim_max);
    ::setrlimit(RLIMIT_FSIZE, &lower);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

// The number of the runtime error that `step` ends in, or 0 when it ends well.
template <typename Error>
int errorNumberOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// The source tree, for the demo station files.
inline std::string sourceDir() {
  const char* env = std::getenv("KIVO_SOURCE_DIR");
  if (env && *env) return env;
#ifdef KIVO_SOURCE_DIR
  return KIVO_SOURCE_DIR;
#else
  return ".";
#endif
}

}  // namespace kivo::testing
