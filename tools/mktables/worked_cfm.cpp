#include "tools/mktables/worked_cfm.h"

#include <cstdio>
#include <set>

#include "common/text.h"
#include "common/worked.h"

namespace kivo {

namespace {

constexpr char kBar = '\xB3';
constexpr size_t kCellsFrom = 43;  // the first framing bar
constexpr size_t kCaptionRows = 10;

std::string cells() {
  std::string out;
  for (size_t column = kCellsFrom; column <= kEntityLineLength; ++column) out += (column % 2) ? kBar : ' ';
  return out;
}

std::string threeDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", n);
  return buf;
}

// The captions run downwards over their cells, their last letters on the row just
// above the first entity; that row also names the columns on the left. No row
// reaches column 79, so none of them is ever taken for an entity line.
std::vector<std::string> captionRows() {
  std::vector<std::string> rows(kCaptionRows, std::string(kEntityLineLength - 1, ' '));
  for (int k = 1; k <= kCategoryCount; ++k) {
    std::string_view caption = awardCategory(k).caption;
    size_t top = kCaptionRows - caption.size();
    for (size_t i = 0; i < caption.size(); ++i) rows[top + i][static_cast<size_t>(markColumn(k) - 1)] = caption[i];
  }
  rows.back().replace(0, 22, "DXC PFX     CT  ENTITY");
  for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
  return rows;
}

}  // namespace

std::string workedEntityLine(const TableEntity& entity) {
  std::string line = threeDigits(entity.dxcc) + " " + fitWidth(entity.headPrefix, 8) + fitWidth(entity.continent, 4) +
                     fitWidth(entity.name, kEntityNameWidth);
  line.resize(kCellsFrom - 1, ' ');
  return line + cells();
}

std::string newWorkedTable(const PrefixTable& table) {
  const std::string eol = "\r\n";
  std::string out = "KIVOLOG WORKED/CONFIRMED TABLE, COUNTRY FILE VERSION " +
                    (table.version.empty() ? std::string("UNKNOWN") : table.version) + eol;
  out += "MARKS: \\ WORKED  X QSL CARD  L LOTW  B CARD AND LOTW  C CREDITED" + eol;
  out += eol;
  for (const std::string& row : captionRows()) out += row + eol;
  for (const TableEntity& entity : table.entities) out += workedEntityLine(entity) + eol;
  out += "DELETED ENTITIES" + eol;
  for (const TableEntity& entity : table.deleted) out += workedEntityLine(entity) + eol;
  out += "END" + eol;
  return out;
}

WorkedRefresh refreshWorkedTable(std::string_view old, const PrefixTable& table) {
  std::set<std::string, std::less<>> present;
  size_t insertAt = std::string_view::npos;
  size_t pos = 0;
  while (pos < old.size()) {
    size_t lf = old.find('\n', pos);
    size_t end = lf == std::string_view::npos ? old.size() : lf;
    if (lf != std::string_view::npos && end > pos && old[end - 1] == '\r') --end;
    std::string_view line = old.substr(pos, end - pos);
    if (insertAt == std::string_view::npos && (opensDeletedSection(line) || endsTable(line))) insertAt = pos;
    if (isEntityLine(line)) present.emplace(entityNameOf(line));
    pos = lf == std::string_view::npos ? old.size() : lf + 1;
  }

  const std::string eol = old.find("\r\n") != std::string_view::npos ? "\r\n"
                          : old.find('\n') != std::string_view::npos ? "\n"
                                                                     : "\r\n";
  WorkedRefresh result;
  std::string added;
  for (const TableEntity& entity : table.entities) {
    if (present.count(fitWidth(entity.name, kEntityNameWidth))) continue;
    added += workedEntityLine(entity) + eol;
    result.addedNames.push_back(entity.name);
  }
  if (insertAt == std::string_view::npos) {
    insertAt = old.size();
    if (!added.empty() && !old.empty() && old.back() != '\n') added.insert(0, eol);
  }
  result.bytes.reserve(old.size() + added.size());
  result.bytes.append(old.substr(0, insertAt));
  result.bytes += added;
  result.bytes.append(old.substr(insertAt));
  return result;
}

}  // namespace kivo
