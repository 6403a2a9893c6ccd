#pragma once
// What a short field's bytes give, remembered for a few hundred different fields:
// a log holds long runs of a few frequencies and powers, and a lookup is a fraction
// of reading the number again. The bytes are the key, whole, so an answer is only
// ever the one the field's own bytes give.
#include <array>
#include <cstdint>
#include <cstring>

#include "logbook/records/log_record.h"

namespace kivo {

template <Field F, class Value>
class FieldMemo {
 public:
  // `read` makes the value from the record's bytes when this field is not known.
  template <class Read>
  Value get(const uint8_t* record, Read read) {
    constexpr FieldInfo kField = fieldInfo(F);
    static_assert(kField.width <= 8);
    uint64_t key = 0;
    std::memcpy(&key, record + kField.offset, kField.width);
    Entry& e = entries_[(key * 0x9E3779B97F4A7C15ull) >> 56];
    if (!e.used || e.key != key) e = {key, read(record), true};
    return e.value;
  }

 private:
  struct Entry {
    uint64_t key = 0;
    Value value{};
    bool used = false;
  };
  std::array<Entry, 256> entries_{};
};

}  // namespace kivo
