#pragma once
// The contacts of a log by call, date, band and mode, to tell whether a contact is
// already there: the same STATION, DATE, band and MODE, and a TIME at most two
// minutes apart.
#include <cstdint>
#include <vector>

#include "logbook/records/log_record.h"

namespace kivo {

class DuplicateIndex {
 public:
  // Room for about this many contacts before the table grows.
  void reserve(size_t contacts);
  void add(const LogRecord& record);
  // Adds the contact unless one like it is in the index; false when it was.
  bool addIfNew(const LogRecord& record);
  size_t size() const { return count_; }

  // Minutes of a TIME field (HHMM), or a value far from every time when it is none.
  static int minutesOf(const LogRecord& record);

  struct Key {
    char bytes[30];  // STATION, DATE and MODE as the screen shows them, and the band
    bool operator==(const Key&) const = default;
  };
  // addIfNew in two steps, for a run of contacts: look() at a few contacts ahead,
  // which asks for their slots from memory, then addIfNew() for each in order, by
  // when its slot has arrived. The answers are those of addIfNew(record).
  struct Lookup {
    Key key;
    uint64_t hash;
    int minutes;
  };
  void look(const uint8_t* record, Lookup& lookup) const;
  bool addIfNew(const Lookup& lookup);

 private:
  struct Entry {
    Key key;
    int16_t minutes;
  };
  static Key keyOf(const uint8_t* record);
  static int minutesOf(const uint8_t* record);
  static uint64_t hashOf(const Key& key);
  void place(uint64_t hash, uint32_t entry);

  // The table holds, per slot, the upper bits of a key's hash and the number of its
  // entry (from 1; 0 is an empty slot): small slots, and an entry is read only when
  // its hash bits agree.
  std::vector<uint64_t> slots_;
  std::vector<Entry> entries_;
  size_t count_ = 0;
};

}  // namespace kivo
