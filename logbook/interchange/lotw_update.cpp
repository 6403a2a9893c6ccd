#include "logbook/interchange/lotw_update.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/band_ranges.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

struct Confirmation {
  std::string call, band, date, time, received;
};

// The value of the first `tag` on the line. The number after the colon is its
// length; the value starts after the ">" that closes the tag, so a type such as the
// ":D" of a date may stand between. Text after the value is not part of it
// ("<STATE:2>MD // Maryland"). A fixed length, when given, replaces the number.
void takeValue(std::string_view line, std::string_view tag, std::string& value, long long fixed = -1) {
  const size_t at = line.find(tag);
  if (at == std::string_view::npos) return;
  value.clear();
  const size_t lengthAt = at + tag.size();
  const size_t close = line.find('>', lengthAt);
  if (close == std::string_view::npos) return;
  long long n = fixed >= 0 ? fixed : roundHalfEven(parseNumber(line.substr(lengthAt, 2)));
  n = std::clamp<long long>(n, 0, static_cast<long long>(line.size() - close - 1));
  value.assign(line.substr(close + 1, static_cast<size_t>(n)));
}

// The confirmations of the file, one at a time. A file without "<EOH>" (LOTW sends
// one when there is nothing new) is read from its first line: while the header is
// searched, each line is also read as body, and what it gives counts only when the
// header never ends.
class ConfirmationReader {
 public:
  explicit ConfirmationReader(TextReader& in) : in_(in) {}

  bool next(Confirmation& out) {
    if (!headerDone_) readHeader();
    while (pending_.empty()) {
      std::string line;
      if (!in_.readLine(line)) return false;
      readBody(upperCase(line));
    }
    out = std::move(pending_.front());
    pending_.pop_front();
    return true;
  }

 private:
  void readHeader() {
    headerDone_ = true;
    std::string line;
    while (in_.readLine(line)) {
      line = upperCase(line);
      if (line.find("<EOH>") != std::string::npos) {
        pending_.clear();
        current_ = {};
        return;
      }
      readBody(line);
    }
  }

  void readBody(const std::string& line) {
    takeValue(line, "<CALL:", current_.call);
    takeValue(line, "<BAND:", current_.band);
    takeValue(line, "<QSO_DATE:", current_.date);
    takeValue(line, "<TIME_ON:", current_.time, 4);  // a six-digit time loses its seconds
    takeValue(line, "<QSL_RCVD:", current_.received);
    if (line.find("<EOR>") == std::string::npos) return;
    // A download made with "QSL only: no" lists unconfirmed uploads too, marked N.
    if (current_.received != "N") pending_.push_back(std::move(current_));
    current_ = {};
  }

  TextReader& in_;
  bool headerDone_ = false;
  Confirmation current_;
  std::deque<Confirmation> pending_;
};

uint64_t contactKey(std::string_view call, std::string_view date, std::string_view band) {
  std::string key;
  key.reserve(call.size() + date.size() + band.size() + 2);
  key.append(call).append(1, '\n').append(date).append(1, '\n').append(band);
  return std::hash<std::string_view>{}(key);
}

// The log by call, date and band, read once. Inside a key the records keep their
// order, so the first candidate that passes the time test is the record a walk of
// the whole log would stop at. Only the SR field ever changes while the index
// lives, and it is read from the log itself at each match.
class LogIndex {
 public:
  explicit LogIndex(const Logbook& lb) {
    const long long count = recordCount(lb);
    if (count > static_cast<long long>(UINT32_MAX)) fail(kOutOfMemory, "index of the log");
    entries_.reserve(static_cast<size_t>(count));
    LogRecord r;
    RecordScanner scan(lb.log, 1, count);
    while (scan.next(r)) {
      const std::string_view band = confirmationBand(frequencyMHz(r));
      const std::string date = adifDate(r);
      if (band.empty() || date.size() != 8 || monthNumber(r.get(Field::DATE).substr(3, 3)) == 0) continue;
      Entry e{contactKey(valueText(r, Field::STATION), date, band), static_cast<uint32_t>(scan.number()), {}};
      std::copy_n(r.bytes.begin() + fieldInfo(Field::TIME).offset, 4, e.time);
      entries_.push_back(e);
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.record < b.record; });
  }

  // The records with this call, date and band whose time lies within the tolerance,
  // in record order; `accept` says whether a record is the contact (a different
  // contact may share the hash) and ends the search when it is.
  long long find(const Confirmation& c, const std::function<bool(long long)>& accept) const {
    const uint64_t key = contactKey(c.call, c.date, c.band);
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const Entry& e, uint64_t k) { return e.key < k; });
    const double time = parseNumber(c.time);
    for (; it != entries_.end() && it->key == key; ++it) {
      if (!(std::fabs(time - parseNumber(std::string_view(it->time, 4))) < 100)) continue;
      if (accept(it->record)) return it->record;
    }
    return 0;
  }

 private:
  struct Entry {
    uint64_t key;
    uint32_t record;
    char time[4];  // TIME as stored
  };
  std::vector<Entry> entries_;
};

bool sameContact(const LogRecord& r, const Confirmation& c) {
  return valueText(r, Field::STATION) == c.call && adifDate(r) == c.date &&
         confirmationBand(frequencyMHz(r)) == c.band;
}

// Marks the matching contact as confirmed through LOTW; returns the record number
// examined last, as a walk of the log would leave it.
long long confirm(Logbook& lb, const LogIndex& index, const Confirmation& c) {
  const long long n = index.find(c, [&](long long candidate) {
    readRecord(lb, candidate);
    return sameContact(lb.record, c);
  });
  if (n == 0) {
    lb.console.printLine(c.call + " on " + c.date + ", Band " + c.band + ", Time " + c.time + " not found ");
    return recordCount(lb);
  }
  // The received mark; an importer's 0x00 padding is a blank like any other.
  uint8_t& received = lb.record.bytes[static_cast<size_t>(fieldInfo(Field::SR).offset) + 1];
  if (received == ' ' || received == '\0') {
    received = 'L';
  } else if (received == 'X') {
    received = 'B';
  } else {
    return n;  // confirmed already: counted as found, left as it is
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
  while (reader.next(c)) {
    if (!index) index.emplace(lb);
    const long long last = confirm(lb, *index, c);
    if (last > 0) lb.browse.currentRecord = last;
  }
}

}  // namespace kivo
