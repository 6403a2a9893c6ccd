#pragma once
// What a field's bytes give, remembered for a few hundred different fields (a few
// thousand with more bits): a log holds long runs of a few frequencies, powers and
// days, and a lookup is a fraction of reading the field again. The bytes are the key, whole, so an answer is only
// ever the one the field's own bytes give.
#include <array>
#include <cstdint>
#include <cstring>

#include "logbook/records/log_record.h"

namespace kivo {

// 2^Bits entries, each the field's last value in its slot.
template <Field F, class Value, int Bits = 8>
class FieldMemo {
 public:
  // `read` makes the value from the record's bytes when this field is not known.
  template <class Read>
  Value get(const uint8_t* record, Read read) {
    constexpr FieldInfo kField = fieldInfo(F);
    Key key{};
    std::memcpy(key.data(), record + kField.offset, kField.width);
    uint64_t mixed = key[0];
    for (size_t i = 1; i < key.size(); ++i) mixed ^= key[i] * 0xC2B2AE3D27D4EB4Full;
    Entry& e = entries_[(mixed * 0x9E3779B97F4A7C15ull) >> (64 - Bits)];
    if (!e.used || e.key != key) e = {key, read(record), true};
    return e.value;
  }

 private:
  using Key = std::array<uint64_t, static_cast<size_t>(fieldInfo(F).width + 7) / 8>;
  struct Entry {
    Key key{};
    Value value{};
    bool used = false;
  };
  std::array<Entry, size_t{1} << Bits> entries_{};
};

}  // namespace kivo
