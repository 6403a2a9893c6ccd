#pragma once
// Blocks of bytes handed from the thread that makes them to one other thread that
// takes them, in the order they were made, through a few buffers used again and
// again: the maker waits only when every buffer is still being taken.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kivo {

class BlockHandoff {
 public:
  struct Block {
    std::string bytes;
    size_t tag = 0;  // what the maker says the block belongs to
  };

  BlockHandoff(size_t buffers, size_t bytes);

  // The maker's side. An empty block to fill; nullptr once the taker has stopped.
  Block* empty();
  // Hands over the block that empty() gave.
  void send(Block* block);
  // No more blocks will come.
  void close();

  // The taker's side. The next block, or nullptr once the maker closed and every
  // block was taken.
  Block* next();
  // The block from next() is free again.
  void taken(Block* block);
  // Nothing more is handed over: the maker's empty() and the taker's next() say so.
  // Either side may call it, the maker when it gives up, the taker when it fails.
  void stop();

 private:
  // Makes a change under the lock and wakes whoever waits on one.
  template <class Change>
  void change(Change c) {
    {
      std::lock_guard lock(mutex_);
      c();
    }
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Block> blocks_;
  std::vector<Block*> free_;
  std::deque<Block*> full_;
  bool closed_ = false;
  bool stopped_ = false;
};

}  // namespace kivo
