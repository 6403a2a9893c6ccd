#pragma once
// A contact from another program's file made into a record exactly as if it had been
// typed on the browse screen and saved: fields blank-padded, letters in upper case,
// COUNTRY filled from the prefix table as the screen fills it, separators and CR LF.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "logbook/entities/country_table.h"
#include "logbook/interchange/adif_reader.h"
#include "logbook/records/log_record.h"

namespace kivo {

// COUNTRY as the screen fills it: the entity of the call up to its first blank, cut
// to the column, by the logbook's own lookup. A table of some thousand prefixes
// would be scanned from the top for every call; so calls already looked up are
// remembered, and a call without a slash is looked up in the entries that can match
// its first letter alone, in their order (the first match is the same); a call
// with a slash likewise in those that can match it.
class EntityFill {
 public:
  explicit EntityFill(const CountryTable& table);
  // The name stays valid until the next call.
  const std::string& country(std::string_view station);

 private:
  const CountryTable& startingWith(char first);
  const CountryTable& slashed(std::string_view call);

  const CountryTable& table_;
  bool byPrefix_ = true;  // false when the table takes names from the calls ("%")
  // Calls known by up to four characters: an open table of keys and name numbers.
  const std::string* findShort(uint64_t key) const;
  const std::string& addShort(uint64_t key, std::string name);
  std::vector<std::pair<uint64_t, uint32_t>> shortSlots_ = std::vector<std::pair<uint64_t, uint32_t>>(1024);
  std::vector<std::string> shortNames_;
  std::unordered_map<std::string, std::string> known_;
  std::array<std::unique_ptr<CountryTable>, 256> byFirst_;
  std::array<std::unique_ptr<CountryTable>, 256> bySlashFirst_;
};

struct ImportDefaults {
  std::string power = "100";  // PWR of a contact that has none
  // LOTW's own reports give the LOTW confirmation as QSL_RCVD: such a file's QSL
  // fields are LOTW's, not the paper card's.
  bool qslFieldsAreLotw = false;
};

// True for an ADIF header written by LOTW (its PROGRAMID is "LoTW").
bool isLotwReport(const std::vector<AdifField>& header);

// Fills `out` from an ADIF record. Returns why the record cannot be taken (no call,
// no date or no time that can be read, a call too long for STATION), or an empty
// text when it can.
std::string adifContact(const AdifRecord& record, const ImportDefaults& defaults, EntityFill& entities, LogRecord& out);

// The same for a Cabrillo QSO line.
std::string cabrilloContact(std::string_view line, const ImportDefaults& defaults, EntityFill& entities,
                            LogRecord& out);

// The same two with COUNTRY left blank, and fillEntity to fill it later: the import
// fills it on its second thread, and only for the contacts it adds.
std::string adifContact(const AdifRecord& record, const ImportDefaults& defaults, LogRecord& out);
std::string cabrilloContact(std::string_view line, const ImportDefaults& defaults, LogRecord& out);
void fillEntity(EntityFill& entities, LogRecord& record);

// DD MON YY for a date written YYYYMMDD; empty when it is no date.
std::string logDate(std::string_view yyyymmdd);
// HHMM for a time written HHMM or HHMMSS; empty when it is no time.
std::string logTime(std::string_view hhmm);

}  // namespace kivo
