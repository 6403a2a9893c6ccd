#include "logbook/interchange/block_handoff.h"

namespace kivo {

BlockHandoff::BlockHandoff(size_t buffers, size_t bytes) : blocks_(buffers) {
  for (Block& b : blocks_) {
    b.bytes.reserve(bytes);
    free_.push_back(&b);
  }
}

BlockHandoff::Block* BlockHandoff::empty() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopped_ || !free_.empty(); });
  if (stopped_) return nullptr;
  Block* b = free_.back();
  free_.pop_back();
  b->bytes.clear();
  return b;
}

void BlockHandoff::send(Block* block) {
  change([&] { full_.push_back(block); });
}

void BlockHandoff::close() {
  change([&] { closed_ = true; });
}

BlockHandoff::Block* BlockHandoff::next() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !full_.empty() || closed_ || stopped_; });
  if (stopped_ || full_.empty()) return nullptr;
  Block* b = full_.front();
  full_.pop_front();
  return b;
}

void BlockHandoff::taken(Block* block) {
  change([&] { free_.push_back(block); });
}

void BlockHandoff::stop() {
  change([&] { stopped_ = true; });
}

}  // namespace kivo
