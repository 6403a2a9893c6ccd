#pragma once
// The field's maintained country file in its CSV form (cty.csv from country-files.com).
//
// One line per entity, ten comma-separated fields: primary prefix, entity name, DXCC
// entity number, continent, CQ zone, ITU zone, latitude, longitude, time offset, and
// the blank-separated list of prefixes ended by ";". A primary prefix that starts
// with "*" marks an entity that counts only for other awards (WAE and the like); its
// number is that of the DXCC entity it belongs to. In the list, "=CALL" is one exact
// callsign, and a prefix may carry overrides of the zones, position, continent or
// time offset in brackets: (CQ) [ITU] <lat/long> {continent} ~offset~.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct CtyEntity {
  std::string primaryPrefix;  // as the file writes it, without the "*"
  std::string name;
  int dxcc = 0;
  std::string continent;
  bool otherAwardsOnly = false;
  // The list in file order, exact calls left out and overrides cut off; empty items
  // (two blanks in a row) are not kept.
  std::vector<std::string> prefixes;
  std::vector<std::string> exactCalls;  // without the "=" and the overrides
};

struct CtyFile {
  std::string version;  // from the file's "=VERyyyymmdd" entry; empty when it has none
  std::vector<CtyEntity> entities;
};

// A line the tables cannot be built from; the message names the line.
class CtyFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the whole file. Blank lines are skipped. A line with fewer than ten fields,
// an empty primary prefix or an entity number that is not a whole number from 1 to
// 999 is a CtyFormatError, and so is a file without any entity: a half-read country
// file must never become a prefix table. A name that itself holds commas is kept
// whole (the other fields are counted from both ends of the line).
CtyFile parseCtyCsv(std::string_view bytes);

// A prefix-list item without its bracketed overrides: "UA9(17)[30]" gives "UA9".
std::string_view withoutOverrides(std::string_view item);

}  // namespace kivo
