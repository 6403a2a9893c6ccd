#include "logbook/interchange/read_ahead_lines.h"

#include <cstring>
#include <system_error>

namespace kivo {

// A block holds its lines one after another, each after its length in four bytes.
ReadAheadLines::ReadAheadLines(TextReader& in, Prepare prepare)
    : in_(in), prepare_(prepare), handoff_(kBuffers, kBlockBytes + 4) {
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    state_ = State::Alone;  // no second thread to be had: next() reads each line itself
  }
}

ReadAheadLines::~ReadAheadLines() {
  handoff_.stop();
  if (thread_.joinable()) thread_.join();
}

void ReadAheadLines::run() {
  while (BlockHandoff::Block* block = handoff_.empty()) {
    bool last = true;
    try {
      last = !readInto(*block);
    } catch (...) {
      failure_ = std::current_exception();  // the lines before it go first
    }
    handoff_.send(block);
    if (last) break;
  }
  handoff_.close();
}

// Lines until the block is full; false when the file ended in it.
bool ReadAheadLines::readInto(BlockHandoff::Block& block) {
  while (block.bytes.size() < kBlockBytes) {
    if (!in_.readLine(line_)) return false;
    prepare_(line_);
    const auto length = static_cast<uint32_t>(line_.size());
    block.bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    block.bytes.append(line_);
  }
  return true;
}

bool ReadAheadLines::next(std::string_view& line) {
  if (state_ == State::Ended) return false;
  if (state_ == State::Alone) {
    if (!in_.readLine(line_)) return false;
    prepare_(line_);
    line = line_;
    return true;
  }
  while (!block_ || at_ == block_->bytes.size()) {
    if (block_) handoff_.taken(block_);
    block_ = handoff_.next();
    at_ = 0;
    if (!block_) {
      thread_.join();
      state_ = State::Ended;
      if (failure_) std::rethrow_exception(failure_);
      return false;
    }
  }
  uint32_t length;
  std::memcpy(&length, block_->bytes.data() + at_, sizeof length);
  line = std::string_view(block_->bytes.data() + at_ + sizeof length, length);
  at_ += sizeof length + length;
  return true;
}

}  // namespace kivo
