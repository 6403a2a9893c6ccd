#include "logbook/entities/worked_rules.h"

#include <algorithm>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/text.h"
#include "common/worked.h"
#include "logbook/records/field_memo.h"

namespace kivo {

namespace {

// The bytes of `word` equal to `c`, each marked by its top bit (exact, no carries).
uint64_t bytesEqual(uint64_t word, char c) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t x = word ^ (0x0101010101010101ull * static_cast<uint8_t>(c));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

#if defined(__SSE2__)

// 16 bytes of the record with 0x00 shown as a blank.
__m128i shownBytes(const uint8_t* from) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  const __m128i zero = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
  return _mm_or_si128(bytes, _mm_and_si128(zero, _mm_set1_epi8(' ')));
}

uint32_t bytesEqual16(__m128i bytes, char c) {
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

// COUNTRY and COMMENTS as shown, and what the rules look for in them, sixteen bytes at
// a time: the award check reads them for every contact of a log. The comment is read
// in three overlapping parts (bytes 0-15, 16-31, 22-37), each bit i of a mask below
// standing for its character i.
void readNameAndComment(TableContact& c, const uint8_t* record) {
  constexpr size_t kName = static_cast<size_t>(fieldInfo(Field::COUNTRY).offset);
  constexpr size_t kComment = static_cast<size_t>(fieldInfo(Field::COMMENTS).offset);
  static_assert(fieldInfo(Field::COUNTRY).width == 12 && fieldInfo(Field::COMMENTS).width == 38);
  static_assert(kName + 16 <= kRecordSize && kComment + 22 + 16 <= kRecordSize);
  const __m128i name = shownBytes(record + kName);
  std::array<char, 16> nameBytes;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(nameBytes.data()), name);
  std::memcpy(c.country.data(), nameBytes.data(), c.country.size());
  c.knownEntity = c.country[0] != ' ' && (bytesEqual16(name, '?') & 0xFFF) == 0;

  const __m128i parts[3] = {shownBytes(record + kComment), shownBytes(record + kComment + 16),
                            shownBytes(record + kComment + 22)};
  for (size_t p = 0; p < 3; ++p)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(c.comments.data() + (p == 2 ? 22 : 16 * p)), parts[p]);
  // Most comments hold none of "#", "$" and "S": one test says so for all three.
  const auto any = [&](const __m128i& part) {
    return _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(part, _mm_set1_epi8('#')), _mm_cmpeq_epi8(part, _mm_set1_epi8('$'))),
        _mm_cmpeq_epi8(part, _mm_set1_epi8('S')));
  };
  if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(any(parts[0]), any(parts[1])), any(parts[2]))) == 0) return;
  const auto at = [&](char ch) {
    return static_cast<uint64_t>(bytesEqual16(parts[0], ch)) | static_cast<uint64_t>(bytesEqual16(parts[1], ch)) << 16 |
           static_cast<uint64_t>(bytesEqual16(parts[2], ch)) << 22;
  };
  const uint64_t hash = at('#'), dollar = at('$');
  c.hashAt = hash ? static_cast<int8_t>(__builtin_ctzll(hash)) : -1;
  c.dollarAt = dollar ? static_cast<int8_t>(__builtin_ctzll(dollar)) : -1;
  // " SAT": an S at 1-35 with a blank before it and AT after it; most comments have no S.
  const uint64_t s = at('S') & 0xFFFFFFFFEull;
  c.satellite = s && (s & (at(' ') << 1) & (at('A') >> 1) & (at('T') >> 2)) != 0;
}

#else

// The field with its 0x00 bytes as blanks, eight bytes at a time (the last word may
// overlap the one before): the award check reads every contact of a log.
template <size_t N>
void copyShown(std::array<char, N>& to, const uint8_t* record, Field f) {
  static_assert(N >= 8 || N == 4);
  const uint8_t* from = record + fieldInfo(f).offset;
  if constexpr (N == 4) {
    for (size_t i = 0; i < N; ++i) to[i] = from[i] == 0 ? ' ' : static_cast<char>(from[i]);
  } else {
    for (size_t at = 0; at < N; at += 8) {
      const size_t start = at + 8 <= N ? at : N - 8;
      uint64_t word;
      std::memcpy(&word, from + start, 8);
      word |= bytesEqual(word, '\0') >> 2;  // the top bit of each 0x00 becomes its 0x20
      std::memcpy(to.data() + start, &word, 8);
    }
  }
}

// The first "#", the first "$" and a blank followed by SAT, eight bytes at a time:
// the award check reads them for every contact of a log.
void scanComment(TableContact& c) {
  std::array<char, 40> t{};  // the comment and two bytes that match nothing
  std::memcpy(t.data(), c.comments.data(), c.comments.size());
  for (size_t at = 0; at < t.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, t.data() + at, 8);
    const uint64_t hash = bytesEqual(word, '#'), dollar = bytesEqual(word, '$');
    if (hash && c.hashAt < 0) c.hashAt = static_cast<int8_t>(at + static_cast<size_t>(__builtin_ctzll(hash)) / 8);
    if (dollar && c.dollarAt < 0)
      c.dollarAt = static_cast<int8_t>(at + static_cast<size_t>(__builtin_ctzll(dollar)) / 8);
    for (uint64_t s = bytesEqual(word, 'S'); s; s &= s - 1) {
      const size_t i = at + static_cast<size_t>(__builtin_ctzll(s)) / 8;
      if (i > 0 && i + 2 < c.comments.size() && t[i - 1] == ' ' && t[i + 1] == 'A' && t[i + 2] == 'T')
        c.satellite = true;
    }
  }
}

void readNameAndComment(TableContact& c, const uint8_t* record) {
  copyShown(c.country, record, Field::COUNTRY);
  copyShown(c.comments, record, Field::COMMENTS);
  uint64_t head, tail;  // bytes 1-8 and 5-12 of the name
  std::memcpy(&head, c.country.data(), 8);
  std::memcpy(&tail, c.country.data() + 4, 8);
  c.knownEntity = c.country[0] != ' ' && !bytesEqual(head, '?') && !bytesEqual(tail, '?');
  scanComment(c);
}

#endif

bool isAntillesSplitEntity(std::string_view country) {
  if (country[0] != 'C' && country[0] != 'B' && country[0] != 'S') return false;  // the quick answer for most
  for (std::string_view name : {"CURACAO", "BONAIRE", "SABA & ST. E", "ST. MAARTEN"})
    if (country.substr(0, name.size()) == name) return true;
  return false;
}

constexpr uint32_t word4(const char (&text)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// MODE as shown (0x00 as a blank), compared as one word.
TableContact::ModeKind modeKind(const uint8_t* record) {
  using Mode = TableContact::ModeKind;
  uint32_t mode;
  std::memcpy(&mode, record + fieldInfo(Field::MODE).offset, 4);
  mode |= static_cast<uint32_t>(bytesEqual(mode | 0xFFFFFFFF00000000ull, '\0') >> 2);
  if (mode == word4("SSB ")) return Mode::kSsb;
  if (mode == word4("CW  ")) return Mode::kMorse;
  if (mode == word4("FM  ") || mode == word4("AM  ")) return Mode::kFmOrAm;
  return Mode::kOther;
}

// The bytes a to b - 1 of a word (a < b <= 8).
uint64_t byteRange(int a, int b) {
  const uint64_t below = b == 8 ? ~0ull : (1ull << (8 * b)) - 1;
  return below & ~((1ull << (8 * a)) - 1);
}

// Up to eight digits, one a byte with the first in the lowest byte and nothing above
// the last (bytes of 0 below the first are leading zeros), as a number.
uint64_t eightDigits(uint64_t v) {
  v = v * 10 + (v >> 8);
  return ((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32)) +
          ((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32))) >>
         32;
}

// A number field in its usual shape: its digits as one whole number, and how many
// of them follow the point.
struct FieldDigits {
  uint64_t whole = 0;
  int decimals = 0;
};

// A field of at most eight bytes in the usual shape (blanks, digits with at most
// one point, then a blank, 0x00 or the field's end), read by word operations
// without a branch on each character, as the award check reads FREQ and PWR of every
// contact; nothing for any other shape, which parseNumber reads.
template <int width>
std::optional<FieldDigits> fieldDigits(const uint8_t* from) {
  static_assert(width == 8 || width == 4);
  constexpr uint64_t kHigh = 0x8080808080808080ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
  uint64_t word;
  if constexpr (width == 8) {
    std::memcpy(&word, from, 8);
  } else {
    uint32_t half;
    std::memcpy(&half, from, 4);
    word = half | 0x2020202000000000ull;  // the bytes past the field read as blanks
  }
  const uint64_t values = word ^ 0x3030303030303030ull;  // the digits' values
  const uint64_t digit = ~(((values & kLow7) + 0x7676767676767676ull) | values) & kHigh;
  const uint64_t point = bytesEqual(word, '.'), ends = bytesEqual(word, ' ') | bytesEqual(word, '\0');
  const uint64_t shown = ~bytesEqual(word, ' ') & kHigh;
  if (!shown) return std::nullopt;
  const int start = __builtin_ctzll(shown) / 8;
  const uint64_t stops = ~(digit | point) & kHigh & byteRange(start, 8);
  const int end = stops ? __builtin_ctzll(stops) / 8 : 8;
  if (end == start || (end < 8 && !((ends >> (8 * end)) & 0x80))) return std::nullopt;
  const uint64_t points = point & byteRange(start, end);
  if (points & (points - 1)) return std::nullopt;
  uint64_t packed;
  FieldDigits d;
  int top = end;
  if (points) {  // the digits after the point moved down onto it
    const int at = __builtin_ctzll(points) / 8;
    packed = (values & byteRange(start, end) & ~byteRange(at, 8)) |
             ((values & byteRange(start, end) & ~byteRange(0, at + 1)) >> 8);
    top = end - 1;
    d.decimals = end - 1 - at;
  } else {
    packed = values & byteRange(start, end);
  }
  if (top == start) return std::nullopt;  // a point alone
  d.whole = eightDigits(packed << (8 * (8 - top)));
  return d;
}

std::string_view fieldText(const uint8_t* record, const FieldInfo& f) {
  return {reinterpret_cast<const char*>(record) + f.offset, static_cast<size_t>(f.width)};
}

// FREQ in single precision, the value parseNumber gives rounded to a float. With a
// point there are at most seven digits: the whole number and the power of ten are
// both exact floats, one division in single precision is the correctly rounded
// quotient, and it equals the double quotient rounded to a float (no such quotient
// lies near enough to a midpoint between two floats for the two roundings to part;
// checked for every whole number and power).
float readFrequency(const uint8_t* record) {
  constexpr FieldInfo kFreq = fieldInfo(Field::FREQ);
  static constexpr float kTens[] = {1, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
  const std::optional<FieldDigits> d = fieldDigits<kFreq.width>(record + kFreq.offset);
  if (!d) return static_cast<float>(parseNumber(fieldText(record, kFreq)));
  return d->decimals == 0 ? static_cast<float>(d->whole) : static_cast<float>(d->whole) / kTens[d->decimals];
}

// A power of 1 to 5 W. Compared as whole numbers, which is exact: the quotient
// parseNumber gives never rounds onto a limit it does not reach.
bool readQrpPower(const uint8_t* record) {
  constexpr FieldInfo kPwr = fieldInfo(Field::PWR);
  static constexpr uint64_t kTens[] = {1, 10, 100, 1000};
  const std::optional<FieldDigits> d = fieldDigits<kPwr.width>(record + kPwr.offset);
  if (!d) {
    const double power = parseNumber(fieldText(record, kPwr));
    return power >= 1 && power <= 5;
  }
  const uint64_t one = kTens[d->decimals];
  return d->whole >= one && d->whole <= 5 * one;
}

// The band categories a frequency lies in, strictly between both limits and in
// single precision: every band compared at once, without a branch per band.
uint32_t bandMask(float mhz) {
  constexpr int kBands = kCategoryCount - k630Meters + 1;
  static constexpr auto kLimits = [] {
    std::array<std::array<float, kBands>, 2> limits{};
    for (int b = 0; b < kBands; ++b) {
      limits[0][static_cast<size_t>(b)] = awardCategory(k630Meters + b).low;
      limits[1][static_cast<size_t>(b)] = awardCategory(k630Meters + b).high;
    }
    return limits;
  }();
  uint32_t mask = 0;
#if defined(__SSE2__)
  static_assert(kBands == 12);
  const __m128 value = _mm_set1_ps(mhz);
  for (size_t b = 0; b < kBands; b += 4) {
    const __m128 above = _mm_cmpgt_ps(value, _mm_loadu_ps(kLimits[0].data() + b));
    const __m128 below = _mm_cmplt_ps(value, _mm_loadu_ps(kLimits[1].data() + b));
    mask |= static_cast<uint32_t>(_mm_movemask_ps(_mm_and_ps(above, below))) << b;
  }
#else
  for (size_t b = 0; b < kBands; ++b) mask |= static_cast<uint32_t>((mhz > kLimits[0][b]) & (mhz < kLimits[1][b])) << b;
#endif
  return mask << (k630Meters - 1);
}

// The categories the contact marks, category k in bit k - 1: the rules themselves.
uint32_t categoryMask(const TableContact& c) {
  using Mode = TableContact::ModeKind;
  const auto bit = [](bool on, int k) { return static_cast<uint32_t>(on) << (k - 1); };
  const bool ground = !c.satellite;  // a satellite contact marks no band and no mode but digital
  uint32_t mask = bit(ground, kMixed) | bit(ground && c.mode == Mode::kSsb, kPhone) |
                  bit(ground && c.mode == Mode::kMorse, kCw) | bit(c.mode == Mode::kOther, kDigital) |
                  bit(c.satellite, kSatellite) | bit(c.qrp, kQrp);
  if (ground) mask |= c.bands;
  return mask;
}

inline bool advance(char& cell, char received) {
  const char r = received;
  char m = cell >= 'a' && cell <= 'z' ? static_cast<char>(cell - 'a' + 'A') : cell;  // as upperChar reads it
  bool changed = false;
  if (m == kMarkNone) {
    cell = m = kMarkWorked;
    changed = true;
  } else if (m == kMarkLotw) {
    if (r != kMarkCard) return false;
    cell = kMarkBoth;
    return true;
  } else if (m == kMarkCard) {
    if (r != kMarkLotw && r != kMarkBoth) return false;
    cell = kMarkBoth;
    return true;
  }
  if (r != kMarkNone && m != kMarkCredited && m != kMarkCard && m != kMarkBoth) {
    cell = (r == kMarkLotw || r == kMarkBoth) ? r : kMarkCard;
    changed = true;
  }
  return changed;
}

bool markLine(std::string& line, uint32_t mask, char received) {
  bool changed = false;
  for (uint32_t left = mask; left; left &= left - 1) {
    const int k = __builtin_ctz(left) + 1;
    changed |= advance(line[static_cast<size_t>(markColumn(k) - 1)], received);
  }
  return changed;
}

// The lines a contact may select, in file order: those of its name, merged with
// those that carry a "$" when it has a tag. Walked without a copy, as the award
// check asks for every contact of a log.
class Candidates {
 public:
  Candidates(const WorkedLines& table, const WorkedRequest& request) : a_(request.named) {
    if (request.tagLength) b_ = &table.withDollar;
  }
  bool next(size_t& line) {
    const bool haveA = a_ && i_ < a_->size(), haveB = b_ && j_ < b_->size();
    if (!haveA && !haveB) return false;
    if (haveA && (!haveB || (*a_)[i_] <= (*b_)[j_])) {
      line = (*a_)[i_++];
      if (haveB && (*b_)[j_] == line) ++j_;
    } else {
      line = (*b_)[j_++];
    }
    return true;
  }

 private:
  const std::vector<size_t>* a_ = nullptr;
  const std::vector<size_t>* b_ = nullptr;
  size_t i_ = 0, j_ = 0;
};

// FREQ and the band categories it lies in.
struct Frequency {
  float mhz = 0;
  uint32_t bands = 0;
};

Frequency frequencyOf(const uint8_t* record) {
  thread_local FieldMemo<Field::FREQ, Frequency> memo;
  return memo.get(record, [](const uint8_t* r) {
    const float mhz = readFrequency(r);
    return Frequency{mhz, bandMask(mhz)};
  });
}

bool qrpPower(const uint8_t* record) {
  thread_local FieldMemo<Field::PWR, bool> memo;
  return memo.get(record, readQrpPower);
}

}  // namespace

std::string_view TableContact::tag() const {
  return dollarAt < 0 ? std::string_view() : commentText().substr(static_cast<size_t>(dollarAt), 3);
}

TableContact readContact(const uint8_t* record) {
  TableContact c;
  readNameAndComment(c, record);
  c.mode = modeKind(record);
  const uint8_t received = record[fieldInfo(Field::SR).offset + 1];
  c.received = received == 0 ? ' ' : static_cast<char>(received);
  const Frequency frequency = frequencyOf(record);
  c.mhz = frequency.mhz;
  c.bands = frequency.bands;
  c.qrp = qrpPower(record);
  c.heldBack =
      isAntillesSplitEntity(c.countryText()) && datedBeforeAntillesSplit(fieldText(record, fieldInfo(Field::DATE)));
  return c;
}

bool categoryApplies(const TableContact& c, int k) { return (categoryMask(c) >> (k - 1)) & 1; }

bool advanceMark(char& cell, char received) { return advance(cell, received); }

// 10 OCT 2010: the Netherlands Antilles were dissolved and their four Caribbean
// entities began to count.
constexpr long long kSplitYear = 2010;
constexpr int kSplitMonth = 10;
constexpr long long kSplitDay = 10;

bool datedBeforeAntillesSplit(std::string_view date) {
  auto part = [&](size_t at, size_t n) { return at < date.size() ? date.substr(at, n) : std::string_view(); };
  long long day = roundHalfEven(parseNumber(part(0, 2)));
  long long yy = roundHalfEven(parseNumber(part(7, 2)));
  long long year = yy < 50 ? 2000 + yy : 1900 + yy;
  const int month = monthNumber(part(3, 3));  // unknown: 0, before January
  if (year != kSplitYear) return year < kSplitYear;
  if (month != kSplitMonth) return month < kSplitMonth;
  return day < kSplitDay;
}

void EntityNameIndex::clear() {
  slots_.assign(1024, Slot{});
  lists_.clear();
}

size_t EntityNameIndex::slotOf(std::string_view name) const {
  std::array<char, 12> key{};
  std::memcpy(key.data(), name.data(), std::min(name.size(), key.size()));
  return slotOfKey(key.data());
}

// The name is read as two words straight from where it stands: a lookup for every
// contact of a log should not wait on a copy of it.
size_t EntityNameIndex::slotOfKey(const char* key) const {
  uint64_t a;
  uint32_t b;
  std::memcpy(&a, key, 8);
  std::memcpy(&b, key + 8, 4);
  // Both halves multiplied, folded and multiplied again; the slot is taken from the
  // top bits, which depend on every byte of the name (the low ones of a product only
  // on the low bytes, and names differ mostly in their last characters).
  uint64_t h = (a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full);
  h ^= h >> 32;
  h *= 0xFF51AFD7ED558CCDull;
  const size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>(h >> (64 - __builtin_ctzll(slots_.size())));
  while (slots_[i].list && std::memcmp(slots_[i].name.data(), key, 12) != 0) i = (i + 1) & mask;
  return i;
}

void EntityNameIndex::add(std::string_view name, size_t line) {
  if (slots_.empty()) clear();
  if (2 * (lists_.size() + 1) > slots_.size()) {  // kept at most half full
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& s : old)
      if (s.list) slots_[slotOf({s.name.data(), s.name.size()})] = s;
  }
  Slot& slot = slots_[slotOf(name)];
  if (!slot.list) {
    std::memcpy(slot.name.data(), name.data(), std::min(name.size(), slot.name.size()));
    lists_.emplace_back();
    slot.list = static_cast<uint32_t>(lists_.size());
  }
  lists_[slot.list - 1].push_back(line);
}

const std::vector<size_t>* EntityNameIndex::find(std::string_view name) const {
  if (slots_.empty() || name.size() != 12) return nullptr;
  const Slot& slot = slots_[slotOfKey(name.data())];
  return slot.list ? &lists_[slot.list - 1] : nullptr;
}

void WorkedLines::read(const std::string& bytes) {
  lines.clear();
  starts.clear();
  for (size_t start = 0; start < bytes.size();) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string::npos ? bytes.size() : lf;
    size_t stop = lf != std::string::npos && end > start && bytes[end - 1] == '\r' ? end - 1 : end;
    lines.push_back(bytes.substr(start, stop - start));
    starts.push_back(start);
    start = end + 1;
  }
  index();
}

void WorkedLines::index() {
  byName.clear();
  withDollar.clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!isEntityLine(lines[i])) continue;
    byName.add(entityNameOf(lines[i]), i);
    if (lines[i].find('$') != std::string::npos) withDollar.push_back(i);
  }
}

WorkedRequest requestOf(const WorkedLines& table, const TableContact& contact) {
  WorkedRequest r;
  if (!contact.hasEntity()) return r;
  r.known = true;
  r.country = contact.country;
  const std::string_view tag = contact.tag();
  for (size_t i = 0; i < tag.size() && i < r.tag.size(); ++i) r.tag[i] = tag[i];
  r.tagLength = static_cast<uint8_t>(tag.size());
  r.named = table.byName.find(contact.countryText());
  r.heldBack = contact.heldBack;
  r.received = contact.received;
  r.mask = categoryMask(contact);
  return r;
}

WorkedApplied applyRequest(WorkedLines& table, const WorkedRequest& request, std::vector<size_t>& changed) {
  changed.clear();
  WorkedApplied result;
  if (!request.known) return result;
  const std::string_view country = request.countryText();
  const std::string_view tag = request.tagText();
  Candidates candidates(table, request);
  for (size_t i = 0; candidates.next(i);) {
    std::string& line = table.lines[i];
    const bool byName = entityNameOf(line) == country;
    if (!byName && !hasTag(line, tag)) continue;
    result.selected = true;
    if (request.heldBack) continue;
    if (!markLine(line, request.mask, request.received)) continue;
    changed.push_back(i);
    // The tagged line is the one the contact is really for: go on until it is reached.
    if (byName && !tag.empty() && !hasTag(line, tag)) continue;
    result.updated = true;
    break;
  }
  return result;
}

std::string_view contactSquare(const TableContact& contact) {
  const std::string_view comments = contact.commentText();
  // The square needs four characters after the "#" inside the comment.
  if (contact.hashAt < 0 || static_cast<size_t>(contact.hashAt) + 4 >= comments.size()) return {};
  return comments.substr(static_cast<size_t>(contact.hashAt) + 1, 4);
}

size_t findSquare(const std::vector<std::string>& lines, std::string_view square) {
  size_t i = 0;
  while (i < lines.size() && !(lines[i].size() >= 4 && std::string_view(lines[i]).substr(0, 4) == square)) ++i;
  return i;
}

bool applyToSquare(std::vector<std::string>& lines, size_t at, std::string_view square, char received) {
  bool updated = false;
  if (at == lines.size()) {
    lines.push_back(std::string(square) + " " + kSquareWorked);
    updated = true;
  }
  std::string& line = lines[at];
  if (received != kMarkNone && (line.size() < 6 || line[5] != kSquareConfirmed)) {
    if (line.size() >= 6) line[5] = kSquareConfirmed;
    updated = true;
  }
  return updated;
}

}  // namespace kivo
