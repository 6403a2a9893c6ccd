#include "logbook/entities/country_table.h"

#include <algorithm>

#include "common/files.h"

namespace kivo {

namespace {

constexpr size_t kNameWidth = 12;

// Columns `first`..`first + width - 1` (from 1) of a line, as many as the line has.
std::string columns(const std::string& line, size_t first, size_t width) {
  size_t start = first - 1;
  if (start >= line.size()) return {};
  return line.substr(start, width);
}

// The first n bytes of both texts are equal. A text shorter than n has no first n
// bytes, so it never equals anything: a pattern cut short by a short line, or a
// callsign shorter than the pattern, must not match by accident.
bool headsEqual(std::string_view a, std::string_view b, size_t n) {
  return a.size() >= n && b.size() >= n && a.substr(0, n) == b.substr(0, n);
}

// A pattern AB/C: the part before its slash begins the callsign and its one
// designator follows the callsign's first slash.
bool suffixMatches(std::string_view pattern, size_t patternSlash, std::string_view call, size_t callSlash) {
  if (!headsEqual(pattern, call, patternSlash)) return false;
  if (patternSlash + 1 >= pattern.size() || callSlash + 1 >= call.size()) return false;
  return pattern[patternSlash + 1] == call[callSlash + 1];
}

// A pattern A*6: the star stands for any one character. Only a star inside the
// pattern's length counts; one behind the first blank is not part of the pattern.
bool wildcardMatches(std::string_view pattern, size_t length, std::string_view call) {
  size_t star = pattern.find('*');
  if (star == std::string_view::npos || star >= length) return false;
  if (pattern.size() < length || call.size() < length) return false;
  size_t tail = length - star - 1;
  return pattern.substr(0, star) == call.substr(0, star) &&
         pattern.substr(star + 1, tail) == call.substr(star + 1, tail);
}

bool entryMatches(std::string_view pattern, std::string_view call) {
  size_t length = static_cast<size_t>(prefixLength(pattern));
  bool matched = headsEqual(pattern, call, length);
  size_t patternSlash = pattern.find('/');
  size_t callSlash = call.find('/');
  // With a slash on both sides the designator decides, not the plain prefix.
  if (patternSlash != std::string_view::npos && callSlash != std::string_view::npos) {
    matched = suffixMatches(pattern, patternSlash, call, callSlash);
  }
  if (!matched) matched = wildcardMatches(pattern, length, call);
  return matched;
}

char firstChar(const std::string& text) { return text.empty() ? '\0' : text[0]; }

}  // namespace

CountryTable parseCountryTable(const std::vector<std::string>& lines) {
  CountryTable table;
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    table.entries.push_back({columns(line, 1, 4), columns(line, 6, 4), columns(line, 12, kNameWidth)});
  }
  return table;
}

CountryTable loadCountryTable(const std::string& path) { return parseCountryTable(readTextLines(path)); }

int prefixLength(std::string_view prefix) {
  size_t blank = prefix.find(' ');
  return blank == std::string_view::npos ? 4 : static_cast<int>(blank);
}

std::string normalizeCallsign(std::string_view callsign) {
  size_t slash = callsign.find('/');
  if (slash == std::string_view::npos) return std::string(callsign);
  std::string_view before = callsign.substr(0, slash);
  std::string_view after = callsign.substr(slash + 1);
  // K1ABC/P stays as it is: one character after the slash is a designator, not a prefix.
  if (after.size() == 1 || after.size() >= before.size()) return std::string(callsign);
  std::string swapped(after);
  swapped += '/';
  swapped += before;
  return swapped;
}

std::string lookupEntity(const CountryTable& table, std::string_view callsign) {
  const std::string call = normalizeCallsign(callsign);
  const CountryEntry* found = nullptr;
  for (const CountryEntry& entry : table.entries) {
    if (entryMatches(entry.prefix, call)) {
      found = &entry;
      break;
    }
  }
  char kind = found ? firstChar(found->kind) : '\0';
  std::string result = (!found || kind == '?') ? std::string("?") : found->entityName;
  // KG4 with a one-letter suffix is a call of the USA, not of Guantanamo Bay.
  if (call.size() == 4 && call.compare(0, 3, "KG4") == 0) result = "USA";
  if (kind == '%') {
    // The entity is spelled out in the call itself (4U1UN); keep it to the width of the column.
    size_t from = std::min(call.size(), static_cast<size_t>(prefixLength(found->prefix)) + 1);
    result = call.substr(from, kNameWidth);
  }
  if (result == "UN") result = "UNITED NATIO";
  return result;
}

}  // namespace kivo
