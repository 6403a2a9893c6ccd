#include "awardsum/log_replay.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "common/worked.h"
#include "logbook/records/record_file.h"

namespace kivo {

namespace {

// A contact worked out ahead of its turn: what it asks of the worked table, and its
// square when it is one for the grid table.
struct Prepared {
  WorkedRequest request;
  std::array<char, 4> square{};
  bool hasSquare = false;
};

Prepared prepare(const WorkedLines& table, const uint8_t* record) {
  Prepared p;
  const TableContact contact = readContact(record);
  p.request = requestOf(table, contact);
  if (!contact.hasEntity() || !contact.touchesGrid()) return p;
  const std::string_view square = contactSquare(contact);
  p.hasSquare = !square.empty();
  if (p.hasSquare) std::memcpy(p.square.data(), square.data(), 4);
  return p;
}

// The cells that a received mark can no longer move, line by line. A mark only
// moves forward, and a cell that a received mark leaves as it is stays so whatever
// comes after; so a contact whose cells are all settled for its mark changes nothing
// and need not be applied, which is most contacts of a long log. Kept for the plain
// contact only: one line of its name, no tag, not held back. Only the thread that
// applies the contacts learns; the threads that work contacts out ahead ask, and an
// answer from a little while ago is still right, as cells only ever settle.
class SettledCells {
 public:
  explicit SettledCells(size_t lines) : settled_(lines) {}

  bool skips(const WorkedRequest& r) const {
    const size_t* line = plainLine(r);
    return line && (r.mask & ~settled_[*line][kind(r.received)].load(std::memory_order_relaxed)) == 0;
  }

  // After the contact was applied: which of its cells are settled now.
  void learn(const WorkedLines& table, const WorkedRequest& r) {
    const size_t* line = plainLine(r);
    if (!line) return;
    std::atomic<uint32_t>& settled = settled_[*line][kind(r.received)];
    uint32_t bits = settled.load(std::memory_order_relaxed);
    const std::string& text = table.lines[*line];
    for (uint32_t left = r.mask & ~bits; left; left &= left - 1) {
      const int k = __builtin_ctz(left) + 1;
      char cell = text[static_cast<size_t>(markColumn(k) - 1)];
      if (!advanceMark(cell, r.received)) bits |= 1u << (k - 1);
    }
    settled.store(bits, std::memory_order_relaxed);
  }

 private:
  static const size_t* plainLine(const WorkedRequest& r) {
    return r.known && !r.heldBack && r.tagLength == 0 && r.named && r.named->size() == 1 ? r.named->data() : nullptr;
  }
  // The received marks that move cells differently.
  static size_t kind(char received) {
    switch (received) {
      case kMarkNone: return 0;
      case kMarkCard: return 1;
      case kMarkLotw: return 2;
      case kMarkBoth: return 3;
      default: return 4;
    }
  }
  std::vector<std::array<std::atomic<uint32_t>, 5>> settled_;
};

// A thread that runs `work` and is joined however the scope ends; without one (the
// system has none to give) the caller's own share is simply all of the work.
class Helper {
 public:
  explicit Helper(const std::function<void()>& work) {
    try {
      thread_ = std::thread(work);
    } catch (const std::system_error&) {
    }
  }
  ~Helper() {
    if (thread_.joinable()) thread_.join();
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

 private:
  std::thread thread_;
};

// Records worked out ahead: few at first, while few cells have settled and most
// contacts need their turn, then more.
constexpr long long kFirstRound = 4096, kRound = 65536;
constexpr size_t kBlock = 2048;  // records read at a time

// The contacts of one round that need their turn, block by block in log order.
using Round = std::vector<std::vector<Prepared>>;

// The blocks of one round, taken by whichever thread is free: each record read and
// worked out, and kept only when its turn can change something.
class Shares {
 public:
  Shares(const LogRecords& log, const WorkedLines& table, const SettledCells& settled, long long first, size_t length,
         Round& into)
      : log_(log), table_(table), settled_(settled), first_(first), length_(length), into_(into) {
    into_.resize((length + kBlock - 1) / kBlock);
    for (std::vector<Prepared>& block : into_) block.clear();
  }

  void take() {
    try {
      // Left unfilled: every byte is read into before it is looked at.
      const std::unique_ptr<uint8_t[]> buffer(new uint8_t[std::min(kBlock, length_) * kRecordSize]);
      for (size_t b; (b = next_.fetch_add(1)) < into_.size();) {
        const size_t n = std::min(kBlock, length_ - b * kBlock);
        log_.read(first_ + static_cast<long long>(b * kBlock), n, buffer.get());
        const uint8_t* records = buffer.get();
        for (size_t r = 0; r < n; ++r) {
          const Prepared p = prepare(table_, records + r * kRecordSize);
          if (p.request.known && (p.hasSquare || !settled_.skips(p.request))) into_[b].push_back(p);
        }
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failed_);
      if (!error_) error_ = std::current_exception();
      next_ = into_.size();
    }
  }

  void rethrow() {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  const LogRecords& log_;
  const WorkedLines& table_;
  const SettledCells& settled_;
  long long first_;
  size_t length_;
  Round& into_;
  std::atomic<size_t> next_{0};
  std::mutex failed_;
  std::exception_ptr error_;
};

}  // namespace

// Reading a record and working out what it asks is most of the work, and depends on
// the table's names alone; so two threads share it a round at a time, while the
// round before is applied contact by contact, in log order, by this one.
class LogReplay::Replay {
 public:
  explicit Replay(TableCheck& check) : check_(check), settled_(check.supported.lines.size()) {}

  void run(const LogRecords& log) {
    const long long total = log.count();
    std::array<Round, 2> rounds;
    const Round* ready = nullptr;  // worked out, waiting to be applied
    long long length = kFirstRound;
    for (long long first = 0, n = 0; first < total; first += length, length = std::min(2 * length, kRound), ++n) {
      Round& ahead = rounds[static_cast<size_t>(n % 2)];
      Shares shares(log, check_.supported, settled_, first, static_cast<size_t>(std::min(length, total - first)),
                    ahead);
      {
        Helper helper([&] { shares.take(); });
        if (ready) apply(*ready);
        shares.take();
      }
      shares.rethrow();
      ready = &ahead;
    }
    if (ready) apply(*ready);
    check_.contacts += total;
  }

 private:
  void apply(const Round& round) {
    for (const std::vector<Prepared>& block : round)
      for (const Prepared& p : block) apply(p);
  }

  void apply(const Prepared& p) {
    if (p.hasSquare) applySquare(p);
    if (settled_.skips(p.request)) return;
    if (!applyRequest(check_.supported, p.request, changed_).selected) countWithoutLine(p.request);
    settled_.learn(check_.supported, p.request);
  }

  void countWithoutLine(const WorkedRequest& request) {
    std::string_view name = request.countryText();
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    ++check_.withoutLine[std::string(name)];
  }

  // The logbook looks a square up by a scan from the top; the replay's table only
  // ever gets squares it added itself, one line each, so an index finds the same line.
  void applySquare(const Prepared& p) {
    uint32_t key;
    std::memcpy(&key, p.square.data(), 4);
    std::vector<std::string>& lines = check_.supportedSquares;
    const size_t at = at_.try_emplace(key, lines.size()).first->second;
    applyToSquare(lines, at, std::string_view(p.square.data(), p.square.size()), p.request.received);
  }

  TableCheck& check_;
  SettledCells settled_;
  std::vector<size_t> changed_;
  std::unordered_map<uint32_t, size_t> at_;
};

LogReplay::LogReplay(TableCheck& check) : replay_(std::make_unique<Replay>(check)) {}
LogReplay::~LogReplay() = default;

void LogReplay::run(const LogRecords& log) { replay_->run(log); }

}  // namespace kivo
