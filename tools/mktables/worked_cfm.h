#pragma once
// WORKED.CFM as mktables writes it: a new table, or the lines a user's table lacks.
#include <string>
#include <string_view>
#include <vector>

#include "tools/mktables/prefix_table.h"

namespace kivo {

// One entity line of 79 characters: entity number (3 digits), head prefix, continent,
// the name in columns 17-28, and blank cells framed by 0xB3 in columns 43-79.
// Starting with a digit keeps it from ever being taken for a blank-led note or the
// "END" line.
std::string workedEntityLine(const TableEntity& entity);

// A whole new table, lines ended by CR LF: headings with the category captions
// written downwards over their cells, one line per current entity in the country
// file's order, the "DELETED" line with the deleted entities, and "END".
std::string newWorkedTable(const PrefixTable& table);

struct WorkedRefresh {
  std::string bytes;                    // the table with the new lines in place
  std::vector<std::string> addedNames;  // in the order they were added
};

// Adds a line for every current entity that no entity line of the table names (any
// line of 79 characters or more, wherever it stands, since the logbook would find
// it there). The new lines go in just before the first line that holds "DELETED"
// or begins with "END", or at the end of the file; they end as the file's lines do
// (CR LF unless the file uses LF alone). Every byte the user wrote stays as it was;
// a last line without a line end gets one before lines are added after it.
WorkedRefresh refreshWorkedTable(std::string_view old, const PrefixTable& table);

}  // namespace kivo
