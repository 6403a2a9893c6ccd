#include "logbook/interchange/unconfirmed_report.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/report_fields.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

struct ReportBand {
  BandBounds bounds;
  int column;
};

// This report's own bounds, the same as or narrower than the award table's: a contact
// just outside a band plan's edge is not taken for the band.
// The columns are those of the award categories (WORKED.CFM column 42 + 2k).
constexpr ReportBand kReportBands[] = {
    {{0.472f, 0.479f}, 56}, {{1.79f, 2.0f}, 58},    {{3.49f, 4.0f}, 60},   {{5.3f, 5.41f}, 62},
    {{6.9f, 7.3f}, 64},     {{10.09f, 10.15f}, 66}, {{13.9f, 14.35f}, 68}, {{18.0f, 18.17f}, 70},
    {{20.9f, 21.45f}, 72},  {{24.88f, 24.99f}, 74}, {{27.9f, 29.7f}, 76},  {{49.9f, 54.0f}, 78},
};

// The column a contact's entity is checked in; 0 for band mode, where each contact's
// band decides. `mode` is the only MODE considered, or empty for every mode.
struct Category {
  int column;
  std::string_view mode;
};

// In this order, so that an answer naming several takes the first of MIXED, CW, SSB.
Category chooseCategory(const std::string& answer) {
  if (answer.find("MIXED") != std::string::npos) return {markColumn(kMixed), {}};
  if (answer.find("CW") != std::string::npos) return {markColumn(kCw), "CW  "};
  if (answer.find("SSB") != std::string::npos) return {markColumn(kPhone), "SSB "};
  return {0, {}};
}

// 0 when the frequency lies in none of the bands.
int bandColumn(float mhz) {
  for (const ReportBand& band : kReportBands)
    if (band.bounds.contains(mhz)) return band.column;
  return 0;
}

// The QSL marks as stored: only a blank means "not yet" (an all-zero record is no contact).
bool passesQslTest(const LogRecord& record, bool receivedOnly) {
  const std::string_view sr = fieldText(record, Field::SR);
  return sr[1] == ' ' && (receivedOnly || sr[0] == ' ');
}

// A contact with no entity name (left blank, as an import leaves it): twelve blanks
// would be found in the first entity line with room to spare after its name, and
// that entity's cell would decide for a contact of any entity. It is passed over like
// an unknown entity, as the worked-table update passes it over.
bool hasNoEntity(std::string_view country) { return country[0] == ' ' || country[0] == '\0'; }

bool confirmed(char mark) {
  const char m = upperChar(mark);
  return m == kMarkCard || m == kMarkCredited || m == kMarkLotw || m == kMarkBoth;
}

// Only columns 17-78 of a line are searched for an entity name.
constexpr size_t kSearchedWidth = 78 - kEntityNameColumn + 1;

// The counted lines of WORKED.CFM, read once for a run of the report and searched
// from memory, each entity name once. Reading the file again for every contact would
// find the same first line: nothing writes the file while the report runs.
class EntityTable {
 public:
  explicit EntityTable(Logbook& lb) : lb_(lb) {
    if (lb.tables.workedLineCount < 0) load();  // the count, at the first use in the run
  }

  // Columns 17-78 of the first counted line that holds all 12 characters of the name
  // anywhere in them; nullptr when none does.
  const std::string* find(std::string_view country) {
    if (!loaded_) load();
    auto [at, added] = found_.try_emplace(std::string(country), -1);
    if (added) {
      for (size_t i = 0; i < spans_.size() && at->second < 0; ++i)
        if (spans_[i].find(country) != std::string::npos) at->second = static_cast<long long>(i);
    }
    return at->second < 0 ? nullptr : &spans_[static_cast<size_t>(at->second)];
  }

 private:
  // The line count stops at the first "END" line, or at the end of a file without one.
  // A later run reads no more lines than were counted, whatever the file holds now.
  void load() {
    loaded_ = true;
    TextReader in;
    in.open(lb_.config.workedFileName);
    in.setSizeLimit(kMaxTableBytes);
    const bool counting = lb_.tables.workedLineCount < 0;
    long long lines = 0;
    std::string line;
    while ((counting || lines < lb_.tables.workedLineCount) && in.readLine(line)) {
      ++lines;
      if (line.size() >= kEntityNameColumn - 1 + kEntityNameWidth)
        spans_.push_back(line.substr(kEntityNameColumn - 1, kSearchedWidth));
      if (counting && endsTable(line)) break;
    }
    in.close();
    if (counting) lb_.tables.workedLineCount = lines;
  }

  Logbook& lb_;
  bool loaded_ = false;
  std::vector<std::string> spans_;                    // only lines long enough to hold a name
  std::unordered_map<std::string, long long> found_;  // name -> index in spans_, -1 when absent
};

// A cell the line does not reach is no confirmation.
char cellOf(const std::string& span, int column) {
  const size_t index = static_cast<size_t>(column) - kEntityNameColumn;
  return index < span.size() ? span[index] : ' ';
}

void announceSearch(Console& con) { con.printLineIn(palette::kBlinking, "Searching"); }

void reportMissingEntity(Console& con, std::string_view country) {
  con.printLine("Country " + std::string(country) + " not found");
  con.printLine("Check the spelling of the country in your log with");
  con.printLine("the WORKED.CFM file spelling.");
  con.printLine();
  con.printLine("Press any key to continue the search.");
  con.waitKey();
  announceSearch(con);
}

}  // namespace

// In band mode a contact outside every band of the table is passed over: it has no
// band in which it could be unconfirmed, and borrowing the column of the contact
// before it would make the result depend on the log's order.
void unconfirmedReport(Logbook& lb, OutputFile& out, bool receivedOnly) {
  Console& con = lb.console;
  con.printLine("Select mode or Band Countries (MIXED SSB CW BAND)");
  const Category category = chooseCategory(readMenuAnswer(lb));
  announceSearch(con);
  EntityTable table(lb);
  RecordScanner scan(lb.log, 1, recordCount(lb));
  while (scan.next(lb.record)) {
    if (!passesQslTest(lb.record, receivedOnly)) continue;
    if (!category.mode.empty() && fieldText(lb.record, Field::MODE) != category.mode) continue;
    const int column = category.column != 0 ? category.column : bandColumn(frequencyMHz(lb.record));
    if (column == 0) continue;
    const std::string_view country = fieldText(lb.record, Field::COUNTRY);
    if (hasNoEntity(country)) continue;
    const std::string* line = table.find(country);
    if (!line) {
      if (country[0] != '?') reportMissingEntity(con, country);
      continue;
    }
    if (!confirmed(cellOf(*line, column))) out.writeRecord(lb.record);
  }
}

}  // namespace kivo
