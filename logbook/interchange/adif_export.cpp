#include "logbook/interchange/adif_export.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ordered_pieces.h"
#include "common/worked.h"
#include "logbook/interchange/band_ranges.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"
#include "logbook/records/station_settings.h"

namespace kivo {

namespace {

struct Question {
  const char* text;
  std::string StationSettings::*field;
};

constexpr Question kStationQuestions[] = {
    {"What is operator's call sign? ", &StationSettings::operatorCall},
    {"What is your continent? ", &StationSettings::continent},
    {"What is your CQ zone? (2 numeric digits) ", &StationSettings::cqZone},
    {"What is your ITU zone? (2 numeric digits) ", &StationSettings::ituZone},
    {"What is your IOTA number (null for N/A, must have hyphen)? ", &StationSettings::iotaNumber},
    {"What is your grid square (4 letter)? ", &StationSettings::gridSquare},
    {"What is your state (2 letter postal code)? ", &StationSettings::state},
    {"What is your county? ", &StationSettings::county},
};

// The range of records to write, or false when the operator asked for the marked
// range and none is marked. Any answer but Y makes the marks the whole log.
bool askRange(Logbook& lb, bool& onlyNew, long long& first, long long& last) {
  Console& con = lb.console;
  con.printLine("Do you want to make the ADIF file just have QSO's from");
  con.print("the last logbook of the world submission? (Y or N) ? ");
  ExportRange& range = lb.exportRange;
  onlyNew = readMenuAnswer(lb) == "Y";
  if (onlyNew && range.end <= range.start) {
    con.printLine("You must define the start and end of the ADIF using Alt-S and Alt-E");
    con.print("Press ENTER to return");
    con.lineInput();
    return false;
  }
  if (!onlyNew) {
    range.start = 1;
    range.end = recordCount(lb);
  }
  // An end marked on the empty line below the log (or before a delete) names no
  // record: there is nothing to export there, not an empty contact.
  first = std::max(range.start, 1LL);
  last = std::min(range.end, recordCount(lb));
  return true;
}

// The answers are kept as typed (in upper case): the question texts ask for the form,
// but a value of another form (a six-character grid, a one-digit zone) is the
// operator's to give, and refusing it would leave no way past the question.
void askStation(Logbook& lb) {
  Console& con = lb.console;
  for (const Question& q : kStationQuestions) {
    std::string& value = lb.settings.*q.field;
    con.print(q.text);
    con.nextZone();
    con.print(value);
    std::string answer = readMenuAnswer(lb);
    if (!answer.empty()) value = answer;
  }
  saveStationSettings(lb);
}

// The line of one record, written byte by byte into room made once for the longest
// line the station's answers allow: a million records each give some twenty fields.
class LineBuffer {
 public:
  explicit LineBuffer(size_t capacity) : bytes_(capacity), end_(bytes_.data()) {}
  void clear() { end_ = bytes_.data(); }
  std::string_view text() const { return std::string_view(bytes_.data(), static_cast<size_t>(end_ - bytes_.data())); }

  // "<TAG:LENGTH[:TYPE]>VALUE ".
  void addField(std::string_view tag, std::string_view value, std::string_view type = {}) {
    put('<');
    put(tag);
    put(':');
    putNumber(value.size());
    if (!type.empty()) {
      put(':');
      put(type);
    }
    put('>');
    put(value);
    put(' ');
  }
  void put(std::string_view text) {
    for (char c : text) *end_++ = c;
  }

 private:
  void put(char c) { *end_++ = c; }
  void putNumber(size_t n) {
    char digits[20];
    size_t count = 0;
    do digits[count++] = static_cast<char>('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0) *end_++ = digits[--count];
  }

  std::vector<char> bytes_;
  char* end_;
};

// Room for any line: the record gives at most its 144 bytes of values, the tags with
// their lengths far less than the rest of this, and each answer of the station
// (the alternative site's among them) stands at most twice in a line.
size_t longestLine(const StationSettings& st) {
  size_t answers = 0;
  for (const std::string* value : st.values()) answers += value->size();
  return 2048 + 2 * answers;
}

// A 0x00 of an importer's padding is no mark, as it shows as a blank.
std::string_view yesNo(uint8_t mark) { return mark == ' ' || mark == 0 ? "N" : "Y"; }

// A four-character field as the screen shows it (a 0x00 reads as a blank), in `buffer`.
std::string_view shownTime(const LogRecord& r, Field f, char (&buffer)[4]) {
  const uint8_t* stored = r.bytes.data() + fieldInfo(f).offset;
  for (size_t i = 0; i < sizeof buffer; ++i) buffer[i] = stored[i] == 0 ? ' ' : static_cast<char>(stored[i]);
  return std::string_view(buffer, sizeof buffer);
}

// The station's answers as every line of the export gives them: the county in its
// two forms made once, not once a record.
struct StationFields {
  const StationSettings& st;
  std::string county;         // state and county
  std::string altSiteCounty;  // the same for a contact made at the alternative site
};

void adifLine(const LogRecord& r, const StationFields& station, LineBuffer& line) {
  const StationSettings& st = station.st;
  const std::string_view comment = valueText(r, Field::COMMENTS);
  const uint8_t* sr = r.bytes.data() + fieldInfo(Field::SR).offset;
  const bool altSite = comment.find("@AS") != std::string_view::npos;
  line.clear();
  const std::string_view band = exportBand(frequencyMHz(r));
  if (!band.empty()) line.addField("BAND", band);
  line.addField("CALL", valueText(r, Field::STATION));
  if (!comment.empty()) line.addField("COMMENT", comment);
  line.addField("QSL_SENT", yesNo(sr[0]));
  line.addField("QSL_RCVD", yesNo(sr[1]));
  line.addField("MODE", valueText(r, Field::MODE));
  line.addField("OPERATOR", st.operatorCall);
  char date[kAdifDateSize];
  line.addField("QSO_DATE", adifDate(r, date), "D");
  line.addField("RST_RCVD", valueText(r, Field::RD));
  line.addField("RST_SENT", valueText(r, Field::SN));
  char time[4];
  line.addField("TIME_ON", shownTime(r, Field::TIME, time));
  line.addField("TIME_OFF", shownTime(r, Field::TOFF, time));
  line.addField("TX_PWR", valueText(r, Field::PWR));
  if (!st.continent.empty()) line.addField("CONT", st.continent);
  if (!st.cqZone.empty()) line.addField("CQZ", st.cqZone);
  if (!st.ituZone.empty()) line.addField("ITUZ", st.ituZone);
  if (!st.gridSquare.empty()) line.addField("GRIDSQUARE", altSite ? st.altGridSquare : st.gridSquare);
  if (!st.state.empty()) line.addField("STATE", st.state);
  line.addField("CNTY", altSite ? station.altSiteCounty : station.county);
  if (!st.iotaNumber.empty()) line.addField("IOTA", st.iotaNumber);
  line.put("<EOR>");
}

std::string_view raw(const LogRecord& r, Field f) {
  return {reinterpret_cast<const char*>(r.bytes.data()) + fieldInfo(f).offset, static_cast<size_t>(fieldInfo(f).width)};
}

// Contacts already sent to LOTW (on a Y export), test contacts and CQ calls stay out.
// "CQ" followed by an importer's 0x00 padding shows, and counts, as "CQ ".
bool skipped(const LogRecord& r, bool onlyNew) {
  const char sent = raw(r, Field::SR)[0];
  if (onlyNew && (sent == kMarkLotw || sent == kMarkBoth)) return true;
  if (raw(r, Field::COMMENTS).find("QX0XQZ") != std::string_view::npos) return true;
  const std::string_view call = raw(r, Field::STATION);
  return call.starts_with("CQ") && (call[2] == ' ' || call[2] == '\0');
}

}  // namespace

void adifExport(Logbook& lb, OutputFile& out) {
  bool onlyNew = false;
  long long first = 0, last = 0;
  if (!askRange(lb, onlyNew, first, last)) return;
  askStation(lb);
  for (const char* line : {"ADIF Export from KIVOLOG", "<PROGRAMID:7>KIVOLOG", "<PROGRAMVERSION:4>1.06", "<EOH>", ""})
    out.writeLine(line);
  const StationSettings& st = lb.settings;
  const StationFields station{st, st.state + ',' + st.county, st.state + ',' + st.altCounty};
  // Blocks of the range made into lines on two threads and written in log order.
  constexpr long long kBlock = 4096;
  const long long from = std::max(1LL, first);
  const auto blocks = static_cast<size_t>(last >= from ? (last - from + kBlock) / kBlock : 0);
  const std::function<std::string(size_t)> make = [&](size_t i) {
    const long long start = from + static_cast<long long>(i) * kBlock;
    RecordScanner scan(lb.log, start, std::min(last, start + kBlock - 1));
    LineBuffer line(longestLine(st));
    std::string text;
    LogRecord r;
    while (scan.next(r)) {
      if (skipped(r, onlyNew)) continue;
      adifLine(r, station, line);
      text += line.text();
      text += "\r\n";
    }
    return text;
  };
  const std::function<void(size_t, std::string&)> use = [&](size_t, std::string& text) { out.write(text); };
  makeInOrder<std::string>(blocks, 4, make, use);
  // The record read last stays the logbook's current one, as after a scan of its own.
  if (blocks > 0) RecordScanner(lb.log, last, last).next(lb.record);
}

}  // namespace kivo
