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

namespace {

// The month's number as parseNumber reads it; two digits, as nearly every month is
// written, without the call.
double monthValue(std::string_view month) {
  if (month.size() == 2 && month[0] >= '0' && month[0] <= '9' && month[1] >= '0' && month[1] <= '9')
    return (month[0] - '0') * 10 + (month[1] - '0');
  return parseNumber(month);
}

}  // namespace

std::string importedDate(std::string_view day, std::string_view month, std::string_view year) {
  const double number = monthValue(month);
  std::string date;
  date.reserve(day.size() + 5 + year.size());
  date += day;
  date += ' ';
  if (number >= 1 && number <= 12 && number == static_cast<int>(number)) {
    date += kMonthNames[static_cast<size_t>(number) - 1];
  } else {
    date += fitWidth(month, 3);
  }
  date += ' ';
  date += year;
  return date;
}

}  // namespace kivo
