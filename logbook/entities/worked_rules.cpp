#include "logbook/entities/worked_rules.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

template <size_t N>
void copyShown(std::array<char, N>& to, const uint8_t* record, Field f) {
  const uint8_t* from = record + fieldInfo(f).offset;
  for (size_t i = 0; i < N; ++i) to[i] = from[i] == 0 ? ' ' : static_cast<char>(from[i]);
}

std::string_view rawField(const uint8_t* record, Field f) {
  const FieldInfo& info = fieldInfo(f);
  return {reinterpret_cast<const char*>(record) + info.offset, static_cast<size_t>(info.width)};
}

bool isAntillesSplitEntity(std::string_view country) {
  for (std::string_view name : {"CURACAO", "BONAIRE", "SABA & ST. E", "ST. MAARTEN"})
    if (country.substr(0, name.size()) == name) return true;
  return false;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The categories the contact marks, category k in bit k - 1.
uint32_t categoryMask(const TableContact& contact) {
  uint32_t mask = 0;
  for (int k = 1; k <= kCategoryCount; ++k)
    if (categoryApplies(contact, k)) mask |= 1u << (k - 1);
  return mask;
}

bool markLine(std::string& line, uint32_t mask, char received) {
  bool changed = false;
  for (int k = 1; k <= kCategoryCount; ++k)
    if (mask & (1u << (k - 1))) changed |= advanceMark(line[static_cast<size_t>(markColumn(k) - 1)], received);
  return changed;
}

// The lines a contact may select, in file order: those of its name, merged with
// those that carry a "$" when it has a tag. Walked without a copy, as the award
// check asks for every contact of a log.
class Candidates {
 public:
  Candidates(const WorkedLines& table, std::string_view country, bool tagged) {
    auto named = table.byName.find(std::string(country));
    if (named != table.byName.end()) a_ = &named->second;
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

bool TableContact::hasEntity() const { return country[0] != ' ' && !contains(countryText(), "?"); }

bool TableContact::touchesGrid() const { return contains(commentText(), "#") && mhz > 49.9f; }

std::string_view TableContact::tag() const {
  const std::string_view text = commentText();
  size_t dollar = text.find('$');
  return dollar == std::string_view::npos ? std::string_view() : text.substr(dollar, 3);
}

TableContact readContact(const uint8_t* record) {
  TableContact c;
  copyShown(c.country, record, Field::COUNTRY);
  copyShown(c.comments, record, Field::COMMENTS);
  copyShown(c.mode, record, Field::MODE);
  const uint8_t received = record[fieldInfo(Field::SR).offset + 1];
  c.received = received == 0 ? ' ' : static_cast<char>(received);
  c.mhz = static_cast<float>(parseNumber(rawField(record, Field::FREQ)));
  c.satellite = contains(c.commentText(), " SAT");
  const double power = parseNumber(rawField(record, Field::PWR));
  c.qrp = power >= 1 && power <= 5;
  c.heldBack = isAntillesSplitEntity(c.countryText()) && datedBeforeAntillesSplit(rawField(record, Field::DATE));
  return c;
}

bool categoryApplies(const TableContact& c, int k) {
  const std::string_view mode = c.modeText();
  switch (k) {
    case kMixed: return !c.satellite;
    case kPhone: return !c.satellite && mode == "SSB ";
    case kCw: return !c.satellite && mode == "CW  ";
    case kDigital: return mode != "FM  " && mode != "AM  " && mode != "CW  " && mode != "SSB ";
    case kSatellite: return c.satellite;
    case kQrp: return c.qrp;
    default: return !c.satellite && awardCategory(k).contains(c.mhz);
  }
}

bool advanceMark(char& cell, char received) {
  const char r = received;
  char m = upperChar(cell);
  bool changed = false;
  if (m == ' ') {
    cell = m = '\\';
    changed = true;
  } else if (m == 'L') {
    if (r != 'X') return false;
    cell = 'B';
    return true;
  } else if (m == 'X') {
    if (r != 'L' && r != 'B') return false;
    cell = 'B';
    return true;
  }
  if (r != ' ' && m != 'C' && m != 'X' && m != 'B') {
    cell = (r == 'L' || r == 'B') ? r : 'X';
    changed = true;
  }
  return changed;
}

bool datedBeforeAntillesSplit(std::string_view date) {
  auto part = [&](size_t at, size_t n) { return at < date.size() ? date.substr(at, n) : std::string_view(); };
  long long day = roundHalfEven(parseNumber(part(0, 2)));
  long long yy = roundHalfEven(parseNumber(part(7, 2)));
  long long year = yy < 50 ? 2000 + yy : 1900 + yy;
  const int month = monthNumber(part(3, 3));  // unknown: 0, before January
  if (year != 2010) return year < 2010;
  if (month != 10) return month < 10;
  return day < 10;
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
    byName[std::string(entityNameOf(lines[i]))].push_back(i);
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
  size_t hash = comments.find('#');
  // The square needs four characters after the "#" inside the comment.
  if (hash == std::string_view::npos || hash + 4 >= comments.size()) return {};
  return comments.substr(hash + 1, 4);
}

size_t findSquare(const std::vector<std::string>& lines, std::string_view square) {
  size_t i = 0;
  while (i < lines.size() && !(lines[i].size() >= 4 && std::string_view(lines[i]).substr(0, 4) == square)) ++i;
  return i;
}

bool applyToSquare(std::vector<std::string>& lines, size_t at, std::string_view square, char received) {
  bool updated = false;
  if (at == lines.size()) {
    lines.push_back(std::string(square) + " /");
    updated = true;
  }
  std::string& line = lines[at];
  if (received != ' ' && (line.size() < 6 || line[5] != 'X')) {
    if (line.size() >= 6) line[5] = 'X';
    updated = true;
  }
  return updated;
}

}  // namespace kivo
