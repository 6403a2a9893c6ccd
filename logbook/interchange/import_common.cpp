#include "logbook/interchange/import_common.h"

#include "common/text.h"

namespace kivo {

std::string askImportFile(Logbook& lb, const char* question, TextReader& in) {
  while (true) {
    lb.console.printLine(question);
    std::string name = lb.console.inputItem();
    if (in.tryOpen(name)) return name;
  }
}

std::string_view slice(std::string_view text, size_t from, size_t n) {
  if (from >= text.size()) return {};
  return text.substr(from, n);
}

std::string importedDate(std::string_view day, std::string_view month, std::string_view year) {
  const double number = parseNumber(month);
  std::string name = fitWidth(month, 3);
  for (int m = 1; m <= 12; ++m)
    if (number == m) name = kMonthNames[static_cast<size_t>(m - 1)];
  std::string date(day);
  date += ' ';
  date += name;
  date += ' ';
  date += year;
  return date;
}

}  // namespace kivo
