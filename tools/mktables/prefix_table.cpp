#include "tools/mktables/prefix_table.h"

#include <algorithm>
#include <map>
#include <set>

#include "common/text.h"
#include "tools/mktables/entity_names.h"

namespace kivo {

namespace {

constexpr size_t kNameWidth = 12;
constexpr size_t kHeadWidth = 6;

bool isPatternChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Another number for a name already taken, in the same 12 columns.
std::string uniqueName(const std::string& base, const std::set<std::string>& taken) {
  if (!taken.count(base)) return base;
  for (int n = 2;; ++n) {
    std::string suffix = " " + std::to_string(n);
    std::string candidate = base.substr(0, kNameWidth - suffix.size());
    while (!candidate.empty() && candidate.back() == ' ') candidate.pop_back();
    candidate += suffix;
    if (!taken.count(candidate)) return candidate;
  }
}

std::string continentOf(std::string_view text) {
  std::string out;
  for (char c : upperCase(text))
    if (c >= 'A' && c <= 'Z' && out.size() < 2) out += c;
  return out;
}

// The primary prefix as a reader of the worked table knows it ("FO/M" for the
// Marquesas), kept to characters that cannot spell anything the programs look for.
std::string shownPrefix(std::string_view primary) {
  std::string out;
  for (char c : upperCase(primary))
    if ((isPatternChar(c) || c == '/') && out.size() < kHeadWidth) out += c;
  return out;
}

// Current names first from the project's table, so that a name made from the
// country file can never take one that the table gives to a later entity.
void nameEntities(const std::vector<const CtyEntity*>& current, PrefixTable& table) {
  std::set<std::string> taken;
  for (const TableEntity& d : table.deleted) taken.insert(d.name);
  std::set<int> numbered;
  std::vector<bool> named(current.size(), false);
  for (size_t i = 0; i < current.size(); ++i) {
    const char* name = shortEntityName(current[i]->dxcc);
    if (!name || numbered.count(current[i]->dxcc) || taken.count(name)) continue;
    numbered.insert(current[i]->dxcc);
    table.entities[i].name = name;
    taken.insert(name);
    named[i] = true;
  }
  for (size_t i = 0; i < current.size(); ++i) {
    if (named[i]) continue;
    std::string base = fallbackEntityName(current[i]->name);
    if (base.empty()) base = "DXCC " + std::to_string(current[i]->dxcc);
    table.entities[i].name = uniqueName(base, taken);
    table.entities[i].nameFromFile = true;
    taken.insert(table.entities[i].name);
    ++table.counts.fallbackNames;
  }
}

bool beginsAnExactCall(const CtyEntity& e) {
  return std::any_of(e.exactCalls.begin(), e.exactCalls.end(), [&](const std::string& call) {
    return call.compare(0, e.primaryPrefix.size(), e.primaryPrefix) == 0;
  });
}

// Every prefix the table can carry, in the country file's order.
std::vector<PrefixEntry> collectEntries(const CtyFile& file, const std::vector<const CtyEntity*>& current,
                                        PrefixTable& table) {
  std::map<int, size_t> byNumber;  // the current entity a number stands for
  for (size_t i = 0; i < current.size(); ++i) byNumber.emplace(current[i]->dxcc, i);

  std::set<std::string> written;
  std::vector<PrefixEntry> entries;
  // Where the primary prefix of an entity listed by exact calls alone begins one of
  // its calls, it is the prefix its stations sign with: without it the UN
  // headquarters (4U1UN) and the Vienna International Centre (4U1VIC, which counts
  // for Austria) would fall to Italy's 4U.
  auto addPrimary = [&](const CtyEntity& e, size_t index) {
    if (!e.prefixes.empty() || !isWritablePrefix(e.primaryPrefix) || !beginsAnExactCall(e)) return;
    if (!written.insert(e.primaryPrefix).second) return;
    entries.push_back({e.primaryPrefix, index});
    ++table.entities[index].prefixesWritten;
    ++table.counts.fromPrimary;
  };
  size_t next = 0;
  for (const CtyEntity& e : file.entities) {
    if (e.otherAwardsOnly) {
      auto dxcc = byNumber.find(e.dxcc);
      if (dxcc != byNumber.end()) addPrimary(e, dxcc->second);
      continue;
    }
    const size_t i = next++;
    table.counts.exactCalls += e.exactCalls.size();
    for (const std::string& prefix : e.prefixes) {
      if (prefix.size() > kMaxPrefixLength) {
        ++table.counts.tooLong;
      } else if (!isWritablePrefix(prefix)) {
        ++table.counts.unusable;
      } else if (!written.insert(prefix).second) {
        ++table.counts.repeated;
      } else {
        entries.push_back({prefix, i});
        ++table.entities[i].prefixesWritten;
      }
    }
    addPrimary(e, i);
  }
  table.counts.written = entries.size();
  return entries;
}

// The head of a worked-table line: a prefix that finds the entity when there is one,
// the primary prefix first.
void chooseHeads(const std::vector<const CtyEntity*>& current, const std::vector<PrefixEntry>& entries,
                 PrefixTable& table) {
  std::vector<std::string> firstWritten(current.size());
  std::vector<bool> primaryWritten(current.size(), false);
  for (const PrefixEntry& entry : entries) {
    if (firstWritten[entry.entity].empty()) firstWritten[entry.entity] = entry.prefix;
    if (entry.prefix == current[entry.entity]->primaryPrefix) primaryWritten[entry.entity] = true;
  }
  for (size_t i = 0; i < current.size(); ++i) {
    TableEntity& entity = table.entities[i];
    if (primaryWritten[i])
      entity.headPrefix = current[i]->primaryPrefix;
    else if (!firstWritten[i].empty())
      entity.headPrefix = firstWritten[i];
    else
      entity.headPrefix = shownPrefix(current[i]->primaryPrefix);
  }
}

}  // namespace

bool isWritablePrefix(std::string_view prefix) {
  return !prefix.empty() && prefix.size() <= kMaxPrefixLength &&
         std::all_of(prefix.begin(), prefix.end(), isPatternChar);
}

PrefixTable buildPrefixTable(const CtyFile& file) {
  PrefixTable table;
  table.version = file.version;

  std::vector<const CtyEntity*> current;
  std::set<int> currentNumbers;
  for (const CtyEntity& e : file.entities) {
    if (e.otherAwardsOnly) {
      ++table.counts.otherAwardEntities;
      table.counts.otherAwardPrefixes += e.prefixes.size();
      continue;
    }
    current.push_back(&e);
    currentNumbers.insert(e.dxcc);
  }
  // An entity the country file lists is current, whatever the table of deleted ones says.
  for (const NamedEntity& d : deletedEntities()) {
    if (!currentNumbers.count(d.dxcc)) table.deleted.push_back({d.dxcc, d.name, "", "", 0});
  }
  table.entities.resize(current.size());
  for (size_t i = 0; i < current.size(); ++i) {
    table.entities[i].dxcc = current[i]->dxcc;
    table.entities[i].continent = continentOf(current[i]->continent);
  }
  nameEntities(current, table);

  std::vector<PrefixEntry> entries = collectEntries(file, current, table);
  chooseHeads(current, entries, table);

  std::stable_sort(entries.begin(), entries.end(),
                   [](const PrefixEntry& a, const PrefixEntry& b) { return a.prefix.size() > b.prefix.size(); });
  table.entries = std::move(entries);
  return table;
}

namespace {

// The country file's licence asks for its notice in every copy.
constexpr const char* kLicence =
    "Country file Copyright (c) 1994- Jim Reisert AD1C (country-files.com), MIT licence: "
    "Permission is hereby granted, free of charge, to any person obtaining a copy of this software and "
    "associated documentation files (the \"Software\"), to deal in the Software without restriction, including "
    "without limitation the rights to use, copy, modify, merge, publish, distribute, sublicense, and/or sell "
    "copies of the Software, and to permit persons to whom the Software is furnished to do so, subject to the "
    "following conditions: The above copyright notice and this permission notice shall be included in all "
    "copies or substantial portions of the Software. THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF "
    "ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A "
    "PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR "
    "ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, "
    "OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.";

// A file name as a heading may show it: printable ASCII only, so it stays one line.
std::string printable(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c >= ' ' && c <= '~') out += c;
  return out;
}

}  // namespace

std::string countryDatText(const PrefixTable& table, std::string_view sourceName) {
  std::string out = "KIVOLOG PREFIX TABLE MADE BY MKTABLES FROM " + printable(sourceName) + ", VERSION " +
                    (table.version.empty() ? std::string("UNKNOWN") : table.version) + " (LONGER PREFIXES FIRST)\r\n";
  out += kLicence;
  out += "\r\n";
  for (const PrefixEntry& entry : table.entries) {
    // Column 5 and the kind columns 6-11 stay blank: every entry is an ordinary one.
    out += fitWidth(entry.prefix, kMaxPrefixLength) + std::string(7, ' ') + table.entities[entry.entity].name + "\r\n";
  }
  return out;
}

}  // namespace kivo
