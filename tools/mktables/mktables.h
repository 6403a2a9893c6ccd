#pragma once
// mktables CTY.CSV [WORKED.CFM]: the prefix table and the worked table from the
// field's maintained country file.
#include <ostream>
#include <string>
#include <vector>

namespace kivo {

// Writes COUNTRY.DAT in the working directory and, when a worked table is named,
// refreshes it (or writes a new one when it does not exist). Everything is read and
// built before anything is written, and each file is replaced whole or not at all.
// Reports to `out`; a usage or country-file error goes to `err` with status 1, and a
// file error is the runtime error (thrown to the caller).
int runMktables(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kivo
