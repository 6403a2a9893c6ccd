#pragma once
// The prefix table (COUNTRY.DAT) and the lookup of a callsign's DX entity.
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct CountryEntry {
  std::string prefix;      // columns 1-4, up to 4 characters
  std::string kind;        // columns 6-9; only the first character counts ("?" or "%")
  std::string entityName;  // columns 12-23, up to 12 characters
};

// The entries in file order; the first entry that matches a callsign wins.
struct CountryTable {
  std::vector<CountryEntry> entries;
};

// Reads the file: two heading lines skipped, then one entry a line. A file that
// cannot be opened is a runtime error.
CountryTable loadCountryTable(const std::string& path);
// The same from lines already read (the two headings included).
CountryTable parseCountryTable(const std::vector<std::string>& lines);

// Characters of a pattern before its first blank; 4 when it has no blank.
int prefixLength(std::string_view prefix);

// A portable callsign reordered so that the shorter part, the prefix, comes first.
std::string normalizeCallsign(std::string_view callsign);

// The entity name for a callsign (upper case, no blanks, up to 16 characters):
// at most 12 characters, or "?" when the entity is unknown.
std::string lookupEntity(const CountryTable& table, std::string_view callsign);

}  // namespace kivo
