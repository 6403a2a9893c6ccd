#pragma once
// The prefix table (COUNTRY.DAT) built from the country file.
//
// The logbook's lookup takes the first entry whose prefix begins the callsign, while
// the country file means the longest of its prefixes that does. Writing the longer
// prefixes first (file order among equal lengths) makes the one give the other.
#include <string>
#include <string_view>
#include <vector>

#include "tools/mktables/cty_csv.h"

namespace kivo {

// The longest prefix the table's four columns can hold.
inline constexpr size_t kMaxPrefixLength = 4;

struct TableEntity {
  int dxcc = 0;
  std::string name;            // unique, at most 12 characters
  std::string continent;       // two letters, or empty
  std::string headPrefix;      // shown before the name in the worked table
  size_t prefixesWritten = 0;  // 0: the entity is in the worked table only
  bool nameFromFile = false;   // the project's table had no (free) short name for it
};

struct PrefixEntry {
  std::string prefix;
  size_t entity;  // index into PrefixTable::entities
};

struct PrefixCounts {
  size_t written = 0;
  size_t fromPrimary = 0;  // entities listed by exact calls only, found by their primary prefix
  size_t tooLong = 0;      // longer than the table's four columns
  size_t unusable = 0;     // characters other than A-Z and 0-9, which patterns give other meanings
  size_t repeated = 0;     // already written for an earlier entity
  size_t exactCalls = 0;
  size_t otherAwardEntities = 0;
  size_t otherAwardPrefixes = 0;
  size_t fallbackNames = 0;  // names made from the country file's own
  size_t leftOut() const { return tooLong + unusable + repeated; }
};

struct PrefixTable {
  std::string version;
  std::vector<TableEntity> entities;  // the current DXCC entities, in the country file's order
  std::vector<TableEntity> deleted;   // the deleted DXCC entities, by number
  std::vector<PrefixEntry> entries;   // in COUNTRY.DAT order
  PrefixCounts counts;
};

PrefixTable buildPrefixTable(const CtyFile& file);

// The whole COUNTRY.DAT, lines ended by CR LF: two heading lines (source, version and
// the country file's licence), then one entry a line: prefix in columns 1-4, the
// name from column 12.
std::string countryDatText(const PrefixTable& table, std::string_view sourceName);

// A plain prefix: 1 to 4 characters, each A-Z or 0-9.
bool isWritablePrefix(std::string_view prefix);

}  // namespace kivo
