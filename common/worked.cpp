#include "common/worked.h"

namespace kivo {

MarkClass classifyMark(char cell) {
  switch (cell) {
    case kMarkNone: return {false, false, false};
    case kMarkCard: return {true, true, false};
    case kMarkCredited:
    case kMarkLotw:
    case kMarkBoth: return {true, true, true};
    default: return {true, false, false};
  }
}

std::string_view entityNameOf(std::string_view line) {
  if (line.size() < kEntityNameColumn) return {};
  return line.substr(kEntityNameColumn - 1, kEntityNameWidth);
}

char markOf(std::string_view line, int k) {
  size_t index = static_cast<size_t>(markColumn(k) - 1);
  return index < line.size() ? line[index] : ' ';
}

std::string contactTag(std::string_view comments) {
  size_t dollar = comments.find('$');
  if (dollar == std::string_view::npos) return {};
  return std::string(comments.substr(dollar, 3));
}

bool hasTag(std::string_view line, std::string_view tag) {
  return !tag.empty() && line.find(tag) != std::string_view::npos;
}

}  // namespace kivo
