#pragma once
// A fresh folder under /tmp that is the working directory while the object lives.
#include <filesystem>
#include <string>

namespace kivo::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::filesystem::path old_;
};

}  // namespace kivo::testing
