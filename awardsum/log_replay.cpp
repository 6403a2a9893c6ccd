#include "awardsum/log_replay.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>

#include "common/ordered_pieces.h"
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
    const uint32_t was = settled.load(std::memory_order_relaxed);
    uint32_t bits = was;
    const std::string& text = table.lines[*line];
    for (uint32_t left = r.mask & ~bits; left; left &= left - 1) {
      const int k = __builtin_ctz(left) + 1;
      char cell = text[static_cast<size_t>(markColumn(k) - 1)];
      if (!advanceMark(cell, r.received)) bits |= 1u << (k - 1);
    }
    // Stored only when it gained: a store takes the line from the caches of the
    // threads that read it for every contact.
    if (bits != was) settled.store(bits, std::memory_order_relaxed);
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

constexpr size_t kBlock = 2048;  // records read and worked out at a time
constexpr size_t kAhead = 8;     // blocks worked out before their turn

// One block of the log read and worked out, with only the contacts whose turn can
// change something kept, in log order. A cell that was settled a little while ago
// is settled still, so the answer of the applying thread may be read at any time.
std::vector<Prepared> prepareBlock(const LogRecords& log, const WorkedLines& table, const SettledCells& settled,
                                   long long first, size_t n) {
  // Left unfilled: every byte is read into before it is looked at.
  const std::unique_ptr<uint8_t[]> records(new uint8_t[n * kRecordSize]);
  log.read(first, n, records.get());
  std::vector<Prepared> kept;
  for (size_t r = 0; r < n; ++r) {
    const Prepared p = prepare(table, records.get() + r * kRecordSize);
    if (p.request.known && (p.hasSquare || !settled.skips(p.request))) kept.push_back(p);
  }
  return kept;
}

}  // namespace

// Reading a record and working out what it asks is most of the work, and depends on
// the table's names alone; so two threads share it a block at a time, a few blocks
// ahead, while this one applies the blocks contact by contact, in log order.
class LogReplay::Replay {
 public:
  explicit Replay(TableCheck& check) : check_(check), settled_(check.supported.lines.size()) {}

  void run(const LogRecords& log) {
    const long long total = log.count();
    const auto blocks =
        static_cast<size_t>((total + static_cast<long long>(kBlock) - 1) / static_cast<long long>(kBlock));
    const std::function<std::vector<Prepared>(size_t)> make = [&](size_t b) {
      const long long first = static_cast<long long>(b * kBlock);
      return prepareBlock(log, check_.supported, settled_, first,
                          static_cast<size_t>(std::min(static_cast<long long>(kBlock), total - first)));
    };
    const std::function<void(size_t, std::vector<Prepared>&)> use = [&](size_t, std::vector<Prepared>& block) {
      for (const Prepared& p : block) apply(p);
    };
    makeInOrder<std::vector<Prepared>>(blocks, kAhead, make, use);
    check_.contacts += total;
  }

 private:
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
