#include "logbook/interchange/lotw_update.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "common/fatal.h"
#include "common/ordered_pieces.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/band_ranges.h"
#include "logbook/records/field_memo.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

struct Confirmation {
  std::string call, band, date, time, received;
};

// The value of the tag found at `at` (its first on the line), `tagSize` bytes long
// up to its colon. The number after the colon is its length; the value starts after
// the ">" that closes the tag, so a type such as the ":D" of a date may stand between.
// Text after the value is not part of it ("<STATE:2>MD // Maryland"). A fixed
// length, when given, replaces the number.
void takeValue(std::string_view line, size_t at, size_t tagSize, std::string& value, long long fixed) {
  value.clear();
  const size_t lengthAt = at + tagSize;
  const size_t close = line.find('>', lengthAt);
  if (close == std::string_view::npos) return;
  long long n = fixed >= 0 ? fixed : roundHalfEven(parseNumber(line.substr(lengthAt, 2)));
  n = std::clamp<long long>(n, 0, static_cast<long long>(line.size() - close - 1));
  value.assign(line.substr(close + 1, static_cast<size_t>(n)));
}

// The tags of a confirmation that the update reads, and where each value goes.
struct BodyTag {
  std::string_view tag;
  std::string Confirmation::*value;
  long long fixed;  // a length that replaces the tag's own, or -1
};
constexpr BodyTag kBodyTags[] = {
    {"<CALL:", &Confirmation::call, -1},
    {"<BAND:", &Confirmation::band, -1},
    {"<QSO_DATE:", &Confirmation::date, -1},
    {"<TIME_ON:", &Confirmation::time, 4},  // a six-digit time loses its seconds
    {"<QSL_RCVD:", &Confirmation::received, -1},
};

// The confirmations of the file, one at a time. A file without "<EOH>" (LOTW sends
// one when there is nothing new) is read from its first line; in a file with one,
// what stands before it is header, even a whole record. The header is searched
// first and, when the file has none, the file is read again from its start, so
// nothing is held in memory meanwhile. Only a pipe, which cannot go back, has its
// lines read as body while the header is searched, and what they give kept until
// the header ends or the input does.
// What a pipe without "<EOH>" may have given before its header turns up: far more
// than any download holds before its header.
constexpr size_t kMaxHeldConfirmations = 100000;

class ConfirmationReader {
 public:
  explicit ConfirmationReader(TextReader& in) : in_(in) {}

  bool next(Confirmation& out) {
    if (!headerDone_) readHeader();
    while (pending_.empty()) {
      if (!in_.readLine(line_)) return false;
      upperCaseInPlace(line_);
      readBody(line_);
    }
    out = std::move(pending_.front());
    pending_.pop_front();
    return true;
  }

 private:
  void readHeader() {
    headerDone_ = true;
    const bool seekable = in_.rewind();
    std::string line;
    while (in_.readLine(line)) {
      upperCaseInPlace(line);
      if (line.find("<EOH>") != std::string::npos) {
        pending_.clear();
        current_ = {};
        return;
      }
      if (!seekable) readBody(line);
      if (pending_.size() > kMaxHeldConfirmations) fail(kFileIoError, "read " + in_.name() + ": no <EOH> in sight");
    }
    if (seekable) {
      in_.rewind();
      current_ = {};
    }
  }

  // One walk over the "<" of the line: the first of each tag gives its value, as a
  // search for each tag in turn would.
  void readBody(std::string_view line) {
    bool endOfRecord = false;
    unsigned taken = 0;  // a bit for each of kBodyTags
    for (size_t at = line.find('<'); at != std::string_view::npos; at = line.find('<', at + 1)) {
      const std::string_view rest = line.substr(at);
      if (rest.starts_with("<EOR>")) endOfRecord = true;
      for (size_t k = 0; k < std::size(kBodyTags); ++k) {
        const BodyTag& t = kBodyTags[k];
        if ((taken >> k & 1) == 0 && rest.size() > 1 && rest[1] == t.tag[1] && rest.starts_with(t.tag)) {
          taken |= 1u << k;
          takeValue(line, at, t.tag.size(), current_.*t.value, t.fixed);
        }
      }
    }
    if (!endOfRecord) return;
    // A download made with "QSL only: no" lists unconfirmed uploads too, marked N.
    if (current_.received != "N") pending_.push_back(std::move(current_));
    current_ = {};
  }

  TextReader& in_;
  bool headerDone_ = false;
  std::string line_;  // kept from line to line, so that its room is made once
  Confirmation current_;
  std::deque<Confirmation> pending_;
};

uint64_t contactKey(std::string_view call, std::string_view date, std::string_view band) {
  char key[64];
  if (call.size() + date.size() + band.size() + 2 > sizeof key) {
    return std::hash<std::string>{}(std::string(call) + '\n' + std::string(date) + '\n' + std::string(band));
  }
  char* end = std::copy(call.begin(), call.end(), key);
  *end++ = '\n';
  end = std::copy(date.begin(), date.end(), end);
  *end++ = '\n';
  end = std::copy(band.begin(), band.end(), end);
  return std::hash<std::string_view>{}(std::string_view(key, static_cast<size_t>(end - key)));
}

// The log by call, date and band, read once: the records of a key stand together, in
// record order, so the first candidate that passes the time test is the record a walk
// of the whole log would stop at. Only the SR field changes while the index lives,
// and it is read from the log itself at each match.
class LogIndex {
 public:
  explicit LogIndex(const Logbook& lb) {
    const long long count = recordCount(lb);
    if (count >= static_cast<long long>(UINT32_MAX)) fail(kOutOfMemory, "index of the log");
    std::vector<Entry> inOrder;
    inOrder.reserve(static_cast<size_t>(count));
    // The keys of a block of the log made on two threads, gathered in record order.
    constexpr long long kBlock = 16384;
    const std::function<std::vector<Entry>(size_t)> make = [&](size_t i) {
      const long long first = 1 + static_cast<long long>(i) * kBlock;
      std::vector<Entry> entries;
      LogRecord r;
      RecordScanner scan(lb.log, first, std::min(count, first + kBlock - 1));
      // A log holds long runs of a few frequencies: their bands are remembered.
      FieldMemo<Field::FREQ, std::string_view> bands;
      while (scan.next(r)) {
        const std::string_view band =
            bands.get(r.bytes.data(), [&](const uint8_t*) { return confirmationBand(frequencyMHz(r)); });
        if (band.empty()) continue;  // never matches
        char buffer[kAdifDateSize];
        const std::string_view date = adifDate(r, buffer);
        if (date.size() < kAdifDateSize) continue;  // no month: never matches
        Entry e{contactKey(valueText(r, Field::STATION), date, band), static_cast<uint32_t>(scan.number()), {}};
        std::copy_n(r.bytes.begin() + fieldInfo(Field::TIME).offset, 4, e.time);
        entries.push_back(e);
      }
      return entries;
    };
    const std::function<void(size_t, std::vector<Entry>&)> use = [&](size_t, std::vector<Entry>& entries) {
      inOrder.insert(inOrder.end(), entries.begin(), entries.end());
    };
    makeInOrder<std::vector<Entry>>(static_cast<size_t>((count + kBlock - 1) / kBlock), 4, make, use);
    // A counting sort by the top bits of the key: stable, so each bucket keeps the
    // record order, and linear in the size of the log.
    while ((size_t{1} << bits_) < inOrder.size()) ++bits_;
    start_.assign((size_t{1} << bits_) + 1, 0);
    for (const Entry& e : inOrder) ++start_[bucket(e.key) + 1];
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    entries_.resize(inOrder.size());
    std::vector<uint32_t> next(start_.begin(), start_.end() - 1);
    for (const Entry& e : inOrder) entries_[next[bucket(e.key)]++] = e;
  }

  // The first record with this call, date and band whose time lies within the
  // tolerance and that `accept` takes for the contact (another contact may share
  // the key's hash); 0 for none.
  long long find(const Confirmation& c, const std::function<bool(long long)>& accept) const {
    const uint64_t key = contactKey(c.call, c.date, c.band);
    const double time = parseNumber(c.time);
    const size_t b = bucket(key);
    for (uint32_t i = start_[b]; i < start_[b + 1]; ++i) {
      const Entry& e = entries_[i];
      if (e.key != key || !(std::fabs(time - parseNumber(std::string_view(e.time, 4))) < 100)) continue;
      if (accept(e.record)) return e.record;
    }
    return 0;
  }

 private:
  struct Entry {
    uint64_t key;
    uint32_t record;
    char time[4];  // TIME as stored
  };
  size_t bucket(uint64_t key) const { return bits_ == 0 ? 0 : static_cast<size_t>(key >> (64 - bits_)); }

  int bits_ = 0;
  std::vector<uint32_t> start_;  // of each bucket in entries_, and the end
  std::vector<Entry> entries_;
};

bool sameContact(const LogRecord& r, const Confirmation& c) {
  char date[kAdifDateSize];
  return valueText(r, Field::STATION) == c.call && adifDate(r, date) == c.date &&
         confirmationBand(frequencyMHz(r)) == c.band;
}

// Marks the matching contact as confirmed through LOTW; returns the record number
// examined last, as a walk of the log would leave it.
long long confirm(Logbook& lb, const LogIndex& index, const Confirmation& c, long long& notFound) {
  const long long n = index.find(c, [&](long long candidate) {
    readRecord(lb, candidate);
    return sameContact(lb.record, c);
  });
  if (n == 0) {
    lb.console.printLine(c.call + " on " + c.date + ", Band " + c.band + ", Time " + c.time + " not found ");
    ++notFound;
    return recordCount(lb);
  }
  // The received mark; an importer's 0x00 padding is a blank like any other.
  uint8_t& received = lb.record.bytes[static_cast<size_t>(fieldInfo(Field::SR).offset) + 1];
  if (received == kMarkNone || received == '\0') {
    received = kMarkLotw;
  } else if (received == kMarkCard) {
    received = kMarkBoth;
  } else {
    // Confirmed already: counted as found and left as it is. The tables take it
    // again, which changes nothing when they are right, and catches them up when an
    // earlier update was stopped between the record and the tables.
    updateWorkedTables(lb);
    return n;
  }
  writeRecord(lb, n);
  updateWorkedTables(lb);
  return n;
}

}  // namespace

void lotwUpdate(Logbook& lb, TextReader& confirmations) {
  lb.console.printLine("Processing, please wait");
  ConfirmationReader reader(confirmations);
  std::optional<LogIndex> index;  // built on the first confirmation, so an empty file reads no log
  Confirmation c;
  long long notFound = 0;
  while (reader.next(c)) {
    if (!index) index.emplace(lb);
    const long long last = confirm(lb, *index, c, notFound);
    if (last > 0) lb.browse.currentRecord = last;
  }
  // On the disk once, before anything waits for a key.
  syncLog(lb);
  syncWorkedBatch(lb);
  // The browse screen would cover the list at once: it stays until a key is pressed.
  if (notFound > 0) {
    lb.console.printLine();
    lb.console.printLine(kLotwListEnd);
    lb.console.waitKey();
  }
}

}  // namespace kivo
