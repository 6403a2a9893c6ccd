#include "logbook/entities/worked_rules.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

// The bytes of `word` equal to `c`, each marked by its top bit (exact, no carries).
uint64_t bytesEqual(uint64_t word, char c) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t x = word ^ (0x0101010101010101ull * static_cast<uint8_t>(c));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

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

std::string_view rawField(const uint8_t* record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  return {reinterpret_cast<const char*>(record) + info.offset, static_cast<size_t>(info.width)};
}

bool isAntillesSplitEntity(std::string_view country) {
  if (country[0] != 'C' && country[0] != 'B' && country[0] != 'S') return false;  // the quick answer for most
  for (std::string_view name : {"CURACAO", "BONAIRE", "SABA & ST. E", "ST. MAARTEN"})
    if (country.substr(0, name.size()) == name) return true;
  return false;
}

TableContact::ModeKind modeKind(std::string_view mode) {
  using Mode = TableContact::ModeKind;
  if (mode == "SSB ") return Mode::kSsb;
  if (mode == "CW  ") return Mode::kMorse;
  if (mode == "FM  " || mode == "AM  ") return Mode::kFmOrAm;
  return Mode::kOther;
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

// parseNumber, with the usual field of digits and one decimal point read directly:
// whole digits and a power of ten both exact in a double make the quotient the
// correctly rounded value, the same one parseNumber gives.
double fieldNumber(std::string_view text) {
  uint64_t digits = 0;
  int count = 0, decimals = -1;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  for (; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch >= '0' && ch <= '9') {
      digits = digits * 10 + static_cast<uint64_t>(ch - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else if (ch == '.' && decimals < 0) {
      decimals = 0;
    } else if (ch == ' ' || ch == '\0') {
      break;
    } else {
      return parseNumber(text);  // signs, tabs, other ends: the full rules
    }
  }
  if (count == 0 || count > 15) return parseNumber(text);
  static constexpr double kTens[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  return static_cast<double>(digits) / kTens[decimals < 0 ? 0 : decimals];
}

// The rules themselves, here where the loops over the categories can inline them.
inline bool applies(const TableContact& c, int k) {
  using Mode = TableContact::ModeKind;
  switch (k) {
    case kMixed: return !c.satellite;
    case kPhone: return !c.satellite && c.mode == Mode::kSsb;
    case kCw: return !c.satellite && c.mode == Mode::kMorse;
    case kDigital: return c.mode == Mode::kOther;
    case kSatellite: return c.satellite;
    case kQrp: return c.qrp;
    default: {
      const AwardCategory& band = awardCategory(k);  // both limits at once: no branch per band
      return !c.satellite & (c.mhz > band.low) & (c.mhz < band.high);
    }
  }
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

// The categories the contact marks, category k in bit k - 1.
uint32_t categoryMask(const TableContact& contact) {
  uint32_t mask = 0;
  for (int k = 1; k < k630Meters; ++k) mask |= static_cast<uint32_t>(applies(contact, k)) << (k - 1);
  if (contact.satellite) return mask;  // a satellite contact marks no band
  for (int k = k630Meters; k <= kCategoryCount; ++k) mask |= static_cast<uint32_t>(applies(contact, k)) << (k - 1);
  return mask;
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
  Candidates(const WorkedLines& table, std::string_view country, bool tagged) {
    a_ = table.byName.find(country);
    if (tagged) b_ = &table.withDollar;
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

}  // namespace

std::string_view TableContact::tag() const {
  return dollarAt < 0 ? std::string_view() : commentText().substr(static_cast<size_t>(dollarAt), 3);
}

TableContact readContact(const uint8_t* record) {
  TableContact c;
  copyShown(c.country, record, Field::COUNTRY);
  copyShown(c.comments, record, Field::COMMENTS);
  std::array<char, 4> mode;
  copyShown(mode, record, Field::MODE);
  c.mode = modeKind({mode.data(), mode.size()});
  const uint8_t received = record[fieldInfo(Field::SR).offset + 1];
  c.received = received == 0 ? ' ' : static_cast<char>(received);
  c.mhz = static_cast<float>(fieldNumber(rawField(record, Field::FREQ)));
  const double power = fieldNumber(rawField(record, Field::PWR));
  c.qrp = power >= 1 && power <= 5;
  uint64_t head, tail;  // bytes 1-8 and 5-12 of the name
  std::memcpy(&head, c.country.data(), 8);
  std::memcpy(&tail, c.country.data() + 4, 8);
  c.knownEntity = c.country[0] != ' ' && !bytesEqual(head, '?') && !bytesEqual(tail, '?');
  c.heldBack = isAntillesSplitEntity(c.countryText()) && datedBeforeAntillesSplit(rawField(record, Field::DATE));
  scanComment(c);
  return c;
}

bool categoryApplies(const TableContact& c, int k) { return applies(c, k); }

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
  uint64_t a, b = 0;
  std::memcpy(&a, key.data(), 8);
  std::memcpy(&b, key.data() + 8, 4);
  uint64_t h = (a ^ (b * 0x9E3779B97F4A7C15ull)) * 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  const size_t mask = slots_.size() - 1;
  size_t i = h & mask;
  while (slots_[i].list && std::memcmp(slots_[i].name.data(), key.data(), key.size()) != 0) i = (i + 1) & mask;
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
  const Slot& slot = slots_[slotOf(name)];
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

WorkedApplied applyToWorkedLines(WorkedLines& table, const TableContact& contact, std::vector<size_t>& changed) {
  changed.clear();
  WorkedApplied result;
  if (!contact.hasEntity()) return result;
  const std::string_view country = contact.countryText();
  const std::string_view tag = contact.tag();
  uint32_t mask = 0;
  bool maskKnown = false;
  Candidates candidates(table, country, !tag.empty());
  for (size_t i = 0; candidates.next(i);) {
    std::string& line = table.lines[i];
    const bool byName = entityNameOf(line) == country;
    if (!byName && !hasTag(line, tag)) continue;
    result.selected = true;
    if (contact.heldBack) continue;
    if (!maskKnown) mask = categoryMask(contact), maskKnown = true;
    if (!markLine(line, mask, contact.received)) continue;
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
