#pragma once
// A file of another program read a window at a time: an import walks through it once,
// and a file of some hundred megabytes is then read into the same few pages again and
// again (as cat reads) instead of into fresh memory of its own size, which costs more
// to get from the system than the reading itself.
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/interchange/adif_reader.h"

namespace kivo {

class InputWindow {
 public:
  InputWindow() = default;
  ~InputWindow();
  InputWindow(InputWindow&& other) noexcept;
  InputWindow& operator=(InputWindow&&) = delete;
  InputWindow(const InputWindow&) = delete;
  InputWindow& operator=(const InputWindow&) = delete;

  // Opens the file and reads its first window; false, with errno's value in `error`,
  // when it cannot be read (a folder included).
  bool open(const std::string& path, int& error, size_t windowBytes = size_t{1} << 20);

  // The bytes held: those of the file from offset base() on.
  std::string_view text() const { return {bytes_.data(), size_}; }
  long long base() const { return base_; }
  // True once the window holds the last byte of the file.
  bool atEnd() const { return atEnd_; }
  // errno's value of a read that failed, or 0.
  int error() const { return error_; }
  // The file's device and inode, to tell it from the file an import writes.
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }
  // The file's size where it is known (a regular file), else 0.
  size_t sizeHint() const { return sizeHint_; }

  // Drops the bytes before `keep` and reads on after what is held; a window that is
  // full from `keep` on is doubled first. False when nothing more was read: at the
  // end of the file, or when a read failed (error() then says why).
  bool more(size_t keep);
  // Reads the rest of the file into the window.
  bool readAll();
  // The line (from 1) of the byte at `at` in the window. Offsets asked for only grow.
  // Lines are counted only when asked for (a line is wanted only for a record that
  // was not taken): the bytes dropped meanwhile are read again from the file, or,
  // for a pipe, counted as they are dropped.
  long long lineAt(size_t at);

 private:
  void close();
  void countTo(long long offset);

  int fd_ = -1;
  std::string bytes_;
  size_t size_ = 0;
  long long base_ = 0;
  bool atEnd_ = false;
  int error_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  size_t sizeHint_ = 0;
  bool seekable_ = false;
  long long counted_ = 0;  // the newlines before this offset of the file are in line_
  long long line_ = 1;
};

// The records of an ADIF file read through a window, each the record AdifScanner
// gives over the whole file: a record that the window cuts off (it ends without its
// <EOR> before the end of the file) is read again from where it began once the
// window holds more.
class AdifWindowScanner {
 public:
  explicit AdifWindowScanner(InputWindow& window) : window_(window), scanner_(window.text()) {}
  // The next record, its offsets in window.text(); false at the end of the file, or
  // when a read failed (window.error() then says why).
  bool next(AdifRecord& record);
  // The header's fields: valid until the window moves on after the first record.
  const std::vector<AdifField>& header() const { return scanner_.header(); }

 private:
  InputWindow& window_;
  AdifScanner scanner_;
};

}  // namespace kivo
