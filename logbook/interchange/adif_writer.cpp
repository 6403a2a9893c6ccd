#include "logbook/interchange/adif_writer.h"

#include <charconv>

#include "common/version.h"
#include "common/worked.h"
#include "logbook/interchange/adif_bands.h"
#include "logbook/interchange/adif_modes.h"
#include "logbook/interchange/band_ranges.h"
#include "logbook/interchange/contact_import.h"
#include "logbook/interchange/outside_text.h"

namespace kivo {

namespace {

void put(std::string& out, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  char length[24];
  const auto digits = std::to_chars(length, length + sizeof length, value.size()).ptr;
  out.push_back('<');
  out.append(name);
  out.push_back(':');
  out.append(length, digits);
  out.push_back('>');
  out.append(value);
  out.push_back(' ');
}

std::string text(const LogRecord& r, Field f) {
  const std::string_view value = valueText(r, f);
  for (char c : value)
    if (c < ' ' || c > '~') return asciiText(value);
  return std::string(value);
}

// The operator's station as it stands at the end of every record, for the main site
// and for the other one ("@AS"); made once for the whole export.
std::string stationFields(const StationSettings& station, bool otherSite) {
  std::string out;
  put(out, "STATION_CALLSIGN", asciiText(station.operatorCall));
  put(out, "OPERATOR", asciiText(station.operatorCall));
  put(out, "MY_GRIDSQUARE", asciiText(otherSite ? station.altGridSquare : station.gridSquare));
  put(out, "MY_STATE", asciiText(station.state));
  put(out, "MY_CNTY", asciiText(otherSite ? station.altCounty : station.county));
  put(out, "MY_CQ_ZONE", asciiText(station.cqZone));
  put(out, "MY_ITU_ZONE", asciiText(station.ituZone));
  put(out, "MY_IOTA", asciiText(station.iotaNumber));
  return out;
}

const std::string& stationPart(const StationSettings& station, bool otherSite) {
  thread_local StationSettings made;
  thread_local std::string parts[2];
  thread_local bool ready = false;
  if (!ready || !(made == station)) {
    made = station;
    parts[0] = stationFields(station, false);
    parts[1] = stationFields(station, true);
    ready = true;
  }
  return parts[otherSite ? 1 : 0];
}

// The code of the record before is most often the code of this one.
AdifMode modeOf(const std::string& code) {
  thread_local std::string last = "\x01";
  thread_local AdifMode mode;
  if (code != last) {
    last = code;
    mode = adifMode(last);
  }
  return mode;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number of a field ("14.025", "100"), as ADIF wants a number; empty when
// the field does not start with one above 0.
std::string leadingNumber(std::string_view field) {
  size_t from = field.find_first_not_of(' ');
  if (from == std::string_view::npos) return {};
  size_t end = from;
  bool point = false, digit = false;
  for (; end < field.size(); ++end) {
    if (isDigit(field[end])) {
      digit = true;
    } else if (field[end] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  const std::string_view number = field.substr(from, end - from);
  if (!digit || number.find_first_not_of("0.") == std::string_view::npos) return {};
  return std::string(number);
}

// "#" and a square of two letters A-R and two digits, the first in the comment.
std::string gridOf(std::string_view comments) {
  for (size_t at = comments.find('#'); at != std::string_view::npos; at = comments.find('#', at + 1)) {
    const std::string_view g = comments.substr(at + 1, 4);
    if (g.size() == 4 && g[0] >= 'A' && g[0] <= 'R' && g[1] >= 'A' && g[1] <= 'R' && isDigit(g[2]) && isDigit(g[3]))
      return std::string(g);
  }
  return {};
}

std::string lower(std::string_view name) {
  std::string s(name);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

const char* yesNo(bool yes) { return yes ? "Y" : "N"; }

}  // namespace

std::string adifHeader(std::string_view timestamp) {
  std::string out = "KIVOLOG log exported by kivoconv\n";
  put(out, "ADIF_VER", "3.1.4");
  put(out, "PROGRAMID", "kivoconv");
  put(out, "PROGRAMVERSION", kProgramVersion);
  put(out, "CREATED_TIMESTAMP", timestamp);
  return out + "<EOH>\n";
}

std::string exportDate(const LogRecord& record) {
  const std::string d = shownText(record, Field::DATE);
  const int month = monthNumber(std::string_view(d).substr(3, 3));
  if (!isDigit(d[0]) || !isDigit(d[1]) || d[2] != ' ' || d[6] != ' ' || !isDigit(d[7]) || !isDigit(d[8]) || month == 0)
    return {};
  const int yy = (d[7] - '0') * 10 + (d[8] - '0');
  std::string date = std::to_string(yy < 50 ? 2000 + yy : 1900 + yy);
  date += static_cast<char>('0' + month / 10);
  date += static_cast<char>('0' + month % 10);
  date += d.substr(0, 2);
  return logDate(date).empty() ? std::string() : date;
}

void appendAdifRecord(std::string& out, const LogRecord& r, const StationSettings& station) {
  const std::string comments = shownText(r, Field::COMMENTS);
  const bool otherSite = comments.find("@AS") != std::string::npos;
  put(out, "CALL", text(r, Field::STATION));
  put(out, "QSO_DATE", exportDate(r));
  put(out, "TIME_ON", logTime(valueText(r, Field::TIME)));
  put(out, "TIME_OFF", logTime(valueText(r, Field::TOFF)));
  const std::string freq = leadingNumber(shownText(r, Field::FREQ));
  put(out, "FREQ", freq);
  if (const AdifBand* band = freq.empty() ? nullptr : bandOf(frequencyMHz(r))) put(out, "BAND", lower(band->name));
  const AdifMode mode = modeOf(text(r, Field::MODE));
  put(out, "MODE", mode.mode);
  put(out, "SUBMODE", mode.submode);
  put(out, "RST_SENT", text(r, Field::SN));
  put(out, "RST_RCVD", text(r, Field::RD));
  put(out, "TX_PWR", leadingNumber(shownText(r, Field::PWR)));
  const std::string sr = shownText(r, Field::SR);
  put(out, "QSL_SENT", yesNo(sr[0] == kMarkCard || sr[0] == kMarkBoth));
  put(out, "QSL_RCVD", yesNo(sr[1] == kMarkCard || sr[1] == kMarkBoth));
  put(out, "LOTW_QSL_SENT", yesNo(sr[0] == kMarkLotw || sr[0] == kMarkBoth));
  put(out, "LOTW_QSL_RCVD", yesNo(sr[1] == kMarkLotw || sr[1] == kMarkBoth));
  put(out, "GRIDSQUARE", gridOf(comments));
  if (comments.find(" SAT") != std::string::npos) put(out, "PROP_MODE", "SAT");
  put(out, "COMMENT", text(r, Field::COMMENTS));
  out += stationPart(station, otherSite);
  out += "<EOR>\n";
}

}  // namespace kivo
