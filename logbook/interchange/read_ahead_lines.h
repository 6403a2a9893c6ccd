#pragma once
// The lines of a text file read on a second thread, each made ready there by a
// function of the caller's, and handed over a block of lines at a time: the first
// thread then spends its time on the lines alone. The lines come in the file's
// order, and a failure of the reading (a line past the limit, a read error) comes
// where it stood, after every line before it.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <thread>

#include "common/files.h"
#include "logbook/interchange/block_handoff.h"

namespace kivo {

class ReadAheadLines {
 public:
  using Prepare = void (*)(std::string& line);

  // Reads `in` from where it stands; `in` is not to be touched until this is gone.
  ReadAheadLines(TextReader& in, Prepare prepare);
  ~ReadAheadLines();
  ReadAheadLines(const ReadAheadLines&) = delete;
  ReadAheadLines& operator=(const ReadAheadLines&) = delete;

  // The next line, made ready; valid until the next call. False at the end of the
  // file. The reading's runtime error is thrown here, in its place.
  bool next(std::string_view& line);

 private:
  static constexpr size_t kBlockBytes = size_t{1} << 18;
  static constexpr size_t kBuffers = 4;

  void run();
  bool readInto(BlockHandoff::Block& block);

  enum class State { Reading, Alone, Ended };

  TextReader& in_;
  Prepare prepare_;
  std::string line_;  // read here when no second thread is to be had
  BlockHandoff handoff_;
  BlockHandoff::Block* block_ = nullptr;  // the block being read by the first thread
  size_t at_ = 0;
  State state_ = State::Reading;
  std::exception_ptr failure_;  // the reading's, set before the thread's last block
  std::thread thread_;
};

}  // namespace kivo
