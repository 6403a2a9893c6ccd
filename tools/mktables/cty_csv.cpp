#include "tools/mktables/cty_csv.h"

#include "common/files.h"

namespace kivo {

namespace {

constexpr size_t kFieldCount = 10;

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Entity numbers are small; anything else means the columns have shifted.
int entityNumber(std::string_view text) {
  text = trimmed(text);
  if (text.empty() || text.size() > 3) return 0;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

[[noreturn]] void reject(size_t lineNumber, const std::string& what) {
  throw CtyFormatError("country file line " + std::to_string(lineNumber) + ": " + what);
}

// "=VER20230502" is how the file carries its own version: a date, so a longer run
// of digits is not one.
std::string versionOf(std::string_view exactCall) {
  std::string_view digits = exactCall.substr(4);
  if (digits.empty() || digits.size() > 12) return {};
  for (char c : digits)
    if (c < '0' || c > '9') return {};
  return std::string(digits);
}

CtyEntity parseLine(std::string_view line, size_t lineNumber, std::string& version) {
  std::vector<std::string_view> fields = splitFields(line);
  if (fields.size() < kFieldCount) {
    reject(lineNumber, "expected " + std::to_string(kFieldCount) + " comma-separated fields, found " +
                           std::to_string(fields.size()));
  }
  // Eight fields after the name: a comma inside the name moves none of them.
  const size_t n = fields.size();
  std::string name;
  for (size_t i = 1; i + 8 < n; ++i) {
    if (i > 1) name += ',';
    name += fields[i];
  }

  CtyEntity entity;
  std::string_view primary = trimmed(fields[0]);
  if (!primary.empty() && primary.front() == '*') {
    entity.otherAwardsOnly = true;
    primary.remove_prefix(1);
  }
  if (primary.empty()) reject(lineNumber, "empty primary prefix");
  entity.primaryPrefix = primary;
  entity.name = trimmed(name);
  entity.dxcc = entityNumber(fields[n - 8]);
  if (entity.dxcc == 0) reject(lineNumber, "entity number is not a whole number from 1 to 999");
  entity.continent = trimmed(fields[n - 7]);

  std::string_view list = fields[n - 1];
  size_t semicolon = list.find(';');
  if (semicolon != std::string_view::npos) list = list.substr(0, semicolon);
  size_t pos = 0;
  while (pos < list.size()) {
    while (pos < list.size() && isBlank(list[pos])) ++pos;
    size_t end = pos;
    while (end < list.size() && !isBlank(list[end])) ++end;
    std::string_view item = list.substr(pos, end - pos);
    pos = end;
    if (item.empty()) continue;
    bool exact = item.front() == '=';
    if (exact && version.empty() && item.substr(0, 4) == "=VER") version = versionOf(item);
    if (exact) item.remove_prefix(1);
    item = withoutOverrides(item);
    if (!item.empty()) (exact ? entity.exactCalls : entity.prefixes).emplace_back(item);
  }
  return entity;
}

}  // namespace

std::string_view withoutOverrides(std::string_view item) {
  size_t bracket = item.find_first_of("([<{~");
  return bracket == std::string_view::npos ? item : item.substr(0, bracket);
}

CtyFile parseCtyCsv(std::string_view bytes) {
  CtyFile file;
  std::vector<std::string> lines = splitLines(std::string(bytes));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (trimmed(lines[i]).empty()) continue;
    file.entities.push_back(parseLine(lines[i], i + 1, file.version));
  }
  if (file.entities.empty()) throw CtyFormatError("country file holds no entity");
  return file;
}

}  // namespace kivo
