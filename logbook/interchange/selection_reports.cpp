#include "logbook/interchange/selection_reports.h"

#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "logbook/entities/report_fields.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

struct BandKey {
  const char* key;
  BandBounds bounds;
};

// This report's own bounds, wider than those of the award table: the operator asks for
// a band, not for an award category.
constexpr BandKey kBandKeys[] = {
    {"160", {1.7f, 2.1f}},  {"80", {3.4f, 4.1f}},     {"40", {6.9f, 7.4f}},     {"30", {10.09f, 10.16f}},
    {"20", {13.9f, 14.4f}}, {"17", {18.06f, 18.17f}}, {"15", {20.9f, 21.5f}},   {"12", {24.88f, 25.0f}},
    {"10", {27.9f, 30.0f}}, {"6M", {49.9f, 54.1f}},   {"2M", {143.9f, 148.1f}}, {"70CM", {430.0f, 451.0f}},
};

constexpr const char* kGeneralHelp[] = {
    "Make a character string to specify the records to select.",
    "Use a semicolon to end an individual field specification.",
    "",
    "The fields are identified as follows:",
    "  F1=   for date field",
    "  F2=   for mode field",
    "  F3<   for power field",
    "  F3>   for power field",
    "  F4=   for station field",
    "  F5=   for country field",
    "  F6=   for QSL S/R field",
    "  F7=   for comment field",
    "",
    "Enter your character string",
};

enum class Test { Contains, PowerBelow, PowerAbove };

struct FieldKey {
  const char* key;  // three characters
  Field field;
  Test test;
};

constexpr FieldKey kFieldKeys[] = {
    {"F1=", Field::DATE, Test::Contains},    {"F2=", Field::MODE, Test::Contains},
    {"F3<", Field::PWR, Test::PowerBelow},   {"F3>", Field::PWR, Test::PowerAbove},
    {"F4=", Field::STATION, Test::Contains}, {"F5=", Field::COUNTRY, Test::Contains},
    {"F6=", Field::SR, Test::Contains},      {"F7=", Field::COMMENTS, Test::Contains},
};

struct FieldCondition {
  const FieldKey* key;
  std::string value;
  double number;  // the value's leading number, for the power tests
};

// Every key is looked for in the whole string, independently: only its first
// occurrence counts, and its value runs to the next ";" (the caller appended one, so
// there always is one). Text that belongs to no key is ignored.
std::vector<FieldCondition> parseFieldSpec(const std::string& spec) {
  std::vector<FieldCondition> used;
  for (const FieldKey& key : kFieldKeys) {
    const size_t at = spec.find(key.key);
    if (at == std::string::npos) continue;
    const size_t from = at + 3;
    const size_t end = spec.find(';', at);
    if (end == std::string::npos || end <= from) continue;  // an empty value is not used
    std::string value = spec.substr(from, end - from);
    const double number = parseNumber(value);
    used.push_back({&key, std::move(value), number});
  }
  return used;
}

bool holds(const FieldCondition& c, const LogRecord& record) {
  const std::string_view text = fieldText(record, c.key->field);
  if (c.key->test == Test::Contains) return text.find(c.value) != std::string_view::npos;
  const double power = static_cast<double>(roundHalfEven(parseNumber(text)));
  return c.key->test == Test::PowerBelow ? power < c.number : power > c.number;
}

void announceSearch(Logbook& lb) { lb.console.printLineIn(palette::kBlinking, "Searching"); }

}  // namespace

void bandSelectionReport(Logbook& lb, OutputFile& out) {
  lb.console.printLine("What bands do you want? (160 80 40 30 20 17 15 12 10 6M 2M 70CM) ?");
  const std::string answer = readMenuAnswer(lb);
  // By substring: any separator will do, and 120 asks for 12 m and 20 m.
  std::vector<BandBounds> chosen;
  for (const BandKey& band : kBandKeys)
    if (answer.find(band.key) != std::string::npos) chosen.push_back(band.bounds);
  announceSearch(lb);
  if (chosen.empty()) return;  // selects nothing
  RecordScanner scan(lb.log, 1, recordCount(lb));
  while (scan.next(lb.record)) {
    const float mhz = frequencyMHz(lb.record);
    for (const BandBounds& band : chosen) {
      if (band.contains(mhz)) {
        out.writeRecord(lb.record);
        break;
      }
    }
  }
}

void generalReport(Logbook& lb, OutputFile& out) {
  Console& con = lb.console;
  con.cls();
  for (const char* line : kGeneralHelp) con.printLine(line);
  const std::vector<FieldCondition> conditions = parseFieldSpec(readMenuAnswer(lb) + ";");
  announceSearch(lb);
  if (conditions.empty()) return;  // selects nothing
  RecordScanner scan(lb.log, 1, recordCount(lb));
  while (scan.next(lb.record)) {
    for (const FieldCondition& c : conditions) {
      if (holds(c, lb.record)) {
        out.writeRecord(lb.record);
        break;
      }
    }
  }
}

}  // namespace kivo
