#pragma once
// Work cut into numbered pieces that two threads make and one uses in order: the
// whole-file commands make a piece of output from a block of the log on whichever
// thread is free, a few pieces ahead, while the calling thread writes them out in
// log order. The output is the same as one thread's; only the time differs.
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kivo {

// Calls make(i) for every i from 0 to count - 1, on this thread or a second one,
// and use(i, result) on this thread in the order of i. At most `ahead` results wait
// to be used. An exception from make or use ends the work and is thrown here once
// the second thread has stopped.
template <class Result>
void makeInOrder(size_t count, size_t ahead, const std::function<Result(size_t)>& make,
                 const std::function<void(size_t, Result&)>& use) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::optional<Result>> slots(ahead);
  size_t nextToMake = 0, nextToUse = 0;
  bool stop = false;
  std::exception_ptr error;

  // Called in a handler, the lock not held: the first failure is kept and ends the work.
  auto failed = [&](std::unique_lock<std::mutex>& lock) {
    lock.lock();
    if (!error) error = std::current_exception();
    stop = true;
    changed.notify_all();
  };
  // Takes the next piece when the window allows; the lock is held on entry and exit.
  auto makeOne = [&](std::unique_lock<std::mutex>& lock) {
    const size_t i = nextToMake++;
    lock.unlock();
    std::optional<Result> made;
    try {
      made.emplace(make(i));
    } catch (...) {
      failed(lock);
      return;
    }
    lock.lock();
    slots[i % ahead] = std::move(made);
    changed.notify_all();
  };
  auto mayMake = [&] { return !stop && nextToMake < count && nextToMake < nextToUse + ahead; };

  std::thread second;
  try {
    second = std::thread([&] {
      std::unique_lock<std::mutex> lock(mutex);
      for (;;) {
        changed.wait(lock, [&] { return stop || nextToMake >= count || mayMake(); });
        if (stop || nextToMake >= count) return;
        makeOne(lock);
      }
    });
  } catch (const std::system_error&) {
    // No second thread to be had: this one makes every piece itself.
  }

  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stop && nextToUse < count) {
      std::optional<Result>& slot = slots[nextToUse % ahead];
      if (!slot) {
        if (mayMake()) {
          makeOne(lock);
        } else {
          changed.wait(lock);
        }
        continue;
      }
      Result result = std::move(*slot);
      slot.reset();
      const size_t i = nextToUse++;
      changed.notify_all();
      lock.unlock();
      try {
        use(i, result);
      } catch (...) {
        failed(lock);
        break;
      }
      lock.lock();
    }
    stop = true;
    changed.notify_all();
  }
  if (second.joinable()) second.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace kivo
