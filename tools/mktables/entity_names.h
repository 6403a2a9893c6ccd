#pragma once
// The DX entity names as the logbook spells them: at most 12 upper-case characters,
// the width of the log's COUNTRY column and of the name columns of WORKED.CFM.
#include <span>
#include <string>
#include <string_view>

namespace kivo {

struct NamedEntity {
  int dxcc;
  const char* name;
};

// Short names of the current DXCC entities, by entity number.
std::span<const NamedEntity> currentEntityNames();
// The entities the DXCC list has deleted, with their short names.
std::span<const NamedEntity> deletedEntities();

// The short name of a current entity; nullptr when the table has none.
const char* shortEntityName(int dxcc);

// What a name may hold: no "?" (the logbook's mark of an unknown entity), no "$"
// (the tag of a worked-table line), no "DELETED" (which would open the deleted
// section of WORKED.CFM), no leading blank (a contact whose entity begins with a
// blank is never applied), upper case, printable ASCII, 1 to 12 characters.
bool isUsableEntityName(std::string_view name);

// A name made from the country file's own: upper-cased, cut to 12 characters, with
// every character a name may not hold dropped. Empty when nothing usable is left.
std::string fallbackEntityName(std::string_view fileName);

}  // namespace kivo
