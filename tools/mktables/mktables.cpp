#include "tools/mktables/mktables.h"

#include <optional>

#include "common/files.h"
#include "tools/mktables/cty_csv.h"
#include "tools/mktables/prefix_table.h"
#include "tools/mktables/worked_cfm.h"

namespace kivo {

namespace {

constexpr const char* kCountryFile = "COUNTRY.DAT";
// A refresh of an old table names what it added; a table far behind gets a count.
constexpr size_t kNamesListed = 20;
constexpr const char* kUsage = "usage: mktables CTY.CSV [WORKED.CFM]\n";

std::string baseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void reportCountryTable(const PrefixTable& table, const std::string& source, std::ostream& out) {
  const PrefixCounts& c = table.counts;
  size_t withPrefixes = 0;
  for (const TableEntity& e : table.entities)
    if (e.prefixesWritten > 0) ++withPrefixes;
  out << "Country file " << source << ", version " << (table.version.empty() ? "unknown" : table.version) << "\n";
  out << kCountryFile << ": " << table.entities.size() << " entities (" << withPrefixes << " with prefixes), "
      << c.written << " prefixes written, " << c.leftOut() << " prefixes left out (" << c.tooLong
      << " longer than 4 characters";
  if (c.unusable) out << ", " << c.unusable << " with characters other than A-Z and 0-9";
  if (c.repeated) out << ", " << c.repeated << " listed for an earlier entity";
  out << ")\n";
  if (c.fromPrimary) {
    out << "  " << c.fromPrimary << " entities listed by exact calls only are found by their primary prefix\n";
  }
  out << "  not used: " << c.exactCalls << " exact calls, " << c.otherAwardEntities
      << " entities for other awards only (" << c.otherAwardPrefixes << " prefixes)\n";
  if (c.fallbackNames) {
    out << "  names made from the country file's own:";
    for (const TableEntity& e : table.entities)
      if (e.nameFromFile) out << " \"" << e.name << "\"";
    out << "\n";
  }
}

}  // namespace

int runMktables(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args.size() > 2) {
    err << kUsage;
    return 1;
  }
  const std::string& source = args[0];
  std::optional<PrefixTable> table;
  try {
    table = buildPrefixTable(parseCtyCsv(readWholeFile(source)));
  } catch (const CtyFormatError& e) {
    err << "mktables: " << source << ": " << e.what() << "\n";
    return 1;
  }

  // Read the worked table before anything is written, so a failure leaves both files as they were.
  std::string workedName;
  std::optional<WorkedRefresh> refresh;
  if (args.size() == 2) {
    workedName = resolveExisting(args[1]);
    if (fileExists(workedName)) refresh = refreshWorkedTable(readWholeFile(workedName), *table);
  }

  writeFileAtomically(resolveExisting(kCountryFile), countryDatText(*table, baseName(source)));
  reportCountryTable(*table, baseName(source), out);

  if (workedName.empty()) return 0;
  if (!refresh) {
    writeFileAtomically(workedName, newWorkedTable(*table));
    out << "WORKED.CFM: new table " << workedName << ", " << table->entities.size() << " entities and "
        << table->deleted.size() << " deleted entities, " << table->entities.size() << " lines added\n";
  } else if (refresh->addedNames.empty()) {
    out << "WORKED.CFM: " << workedName << " has a line for every entity, 0 lines added\n";
  } else {
    writeFileAtomically(workedName, refresh->bytes);
    const std::vector<std::string>& names = refresh->addedNames;
    out << "WORKED.CFM: " << names.size() << " lines added to " << workedName << ":";
    for (size_t i = 0; i < names.size() && i < kNamesListed; ++i) out << " \"" << names[i] << "\"";
    if (names.size() > kNamesListed) out << " and " << names.size() - kNamesListed << " more";
    out << "\n";
  }
  return 0;
}

}  // namespace kivo
