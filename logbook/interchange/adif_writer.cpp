#include "logbook/interchange/adif_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

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

// A field's value in ASCII: the record's own bytes when they are (as nearly always),
// otherwise converted into `spare`.
std::string_view text(const LogRecord& r, Field f, std::string& spare) {
  const std::string_view value = valueText(r, f);
  for (char c : value)
    if (c < ' ' || c > '~') return spare = asciiText(value);
  return value;
}

// One record's line, built in a buffer and handed to the output in one piece; a
// value that would not fit (none of the fields can) sends the buffer on first.
class Line {
 public:
  explicit Line(std::string& out) : out_(out) {}
  ~Line() { flush(); }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  void put(std::string_view name, std::string_view value) {
    if (value.empty()) return;
    if (value.size() + name.size() + 32 > static_cast<size_t>(end() - at_)) flush();
    if (value.size() + name.size() + 32 > sizeof buffer_) return kivo::put(out_, name, value);
    *at_++ = '<';
    copy(name);
    *at_++ = ':';
    at_ = std::to_chars(at_, end(), value.size()).ptr;
    *at_++ = '>';
    copy(value);
    *at_++ = ' ';
  }
  void flush() {
    out_.append(buffer_, static_cast<size_t>(at_ - buffer_));
    at_ = buffer_;
  }

 private:
  char* end() { return buffer_ + sizeof buffer_; }
  void copy(std::string_view s) {
    std::memcpy(at_, s.data(), s.size());
    at_ += s.size();
  }
  std::string& out_;
  char buffer_[1024];
  char* at_ = buffer_;
};

// The part of the line that one field decides, for the field before: a log holds
// long runs of one frequency, mode, power and QSL state, and the part depends on
// the field's bytes alone.
template <Field F>
class FieldPart {
 public:
  template <class Make>
  const std::string& of(const LogRecord& r, Make make) {
    constexpr FieldInfo info = fieldInfo(F);
    const uint8_t* bytes = r.bytes.data() + info.offset;
    if (!known_ || std::memcmp(bytes, field_.data(), field_.size()) != 0) {
      std::memcpy(field_.data(), bytes, field_.size());
      known_ = true;
      part_.clear();
      make(part_);
    }
    return part_;
  }

 private:
  std::array<uint8_t, static_cast<size_t>(fieldInfo(F).width)> field_{};
  bool known_ = false;
  std::string part_;
};

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

// A field as the screen shows it (0x00 as a blank), in the caller's buffer.
template <size_t N>
std::string_view shownInto(char (&to)[N], const LogRecord& r, Field f) {
  const FieldInfo& info = fieldInfo(f);
  for (size_t i = 0; i < N && i < static_cast<size_t>(info.width); ++i) {
    const auto c = static_cast<char>(r.bytes[static_cast<size_t>(info.offset) + i]);
    to[i] = c == '\0' ? ' ' : c;
  }
  return {to, std::min(N, static_cast<size_t>(info.width))};
}

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

// What the comment holds that the line reads, in one pass over its bytes: find would
// call memchr at every blank.
struct CommentMarks {
  bool otherSite = false, satellite = false, hash = false;
  explicit CommentMarks(std::string_view text) {
    const auto at = [&](size_t i) { return i < text.size() ? text[i] : '\0'; };
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '@' && at(i + 1) == 'A' && at(i + 2) == 'S') otherSite = true;
      if (c == ' ' && at(i + 1) == 'S' && at(i + 2) == 'A' && at(i + 3) == 'T') satellite = true;
      if (c == '#') hash = true;
    }
  }
};

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
  char d[fieldInfo(Field::DATE).width];
  shownInto(d, record, Field::DATE);
  const int month = monthNumber(std::string_view(d + 3, 3));
  if (!isDigit(d[0]) || !isDigit(d[1]) || d[2] != ' ' || d[6] != ' ' || !isDigit(d[7]) || !isDigit(d[8]) || month == 0)
    return {};
  const int yy = (d[7] - '0') * 10 + (d[8] - '0');
  const int year = yy < 50 ? 2000 + yy : 1900 + yy;
  const char date[8] = {static_cast<char>('0' + year / 1000),
                        static_cast<char>('0' + year / 100 % 10),
                        static_cast<char>('0' + year / 10 % 10),
                        static_cast<char>('0' + year % 10),
                        static_cast<char>('0' + month / 10),
                        static_cast<char>('0' + month % 10),
                        d[0],
                        d[1]};
  const std::string_view text(date, sizeof date);
  return logDate(text).empty() ? std::string() : std::string(text);
}

void appendAdifRecord(std::string& out, const LogRecord& r, const StationSettings& station) {
  thread_local FieldPart<Field::FREQ> freqPart;
  thread_local FieldPart<Field::MODE> modePart;
  thread_local FieldPart<Field::PWR> powerPart;
  thread_local FieldPart<Field::SR> qslPart;
  char shown[fieldInfo(Field::COMMENTS).width];
  const std::string_view comments = shownInto(shown, r, Field::COMMENTS);
  const CommentMarks marks(comments);
  const bool otherSite = marks.otherSite;
  std::string spare;
  {
    Line line(out);
    line.put("CALL", text(r, Field::STATION, spare));
    line.put("QSO_DATE", exportDate(r));
    line.put("TIME_ON", logTime(valueText(r, Field::TIME)));
    line.put("TIME_OFF", logTime(valueText(r, Field::TOFF)));
    line.flush();
    out += freqPart.of(r, [&](std::string& part) {
      char field[fieldInfo(Field::FREQ).width];
      const std::string freq = leadingNumber(shownInto(field, r, Field::FREQ));
      put(part, "FREQ", freq);
      if (const AdifBand* band = freq.empty() ? nullptr : bandOf(frequencyMHz(r))) put(part, "BAND", lower(band->name));
    });
    out += modePart.of(r, [&](std::string& part) {
      const AdifMode mode = modeOf(std::string(text(r, Field::MODE, spare)));
      put(part, "MODE", mode.mode);
      put(part, "SUBMODE", mode.submode);
    });
    line.put("RST_SENT", text(r, Field::SN, spare));
    line.put("RST_RCVD", text(r, Field::RD, spare));
    line.flush();
    out += powerPart.of(r, [&](std::string& part) {
      char field[fieldInfo(Field::PWR).width];
      put(part, "TX_PWR", leadingNumber(shownInto(field, r, Field::PWR)));
    });
    out += qslPart.of(r, [&](std::string& part) {
      const std::string sr = shownText(r, Field::SR);
      put(part, "QSL_SENT", yesNo(sr[0] == kMarkCard || sr[0] == kMarkBoth));
      put(part, "QSL_RCVD", yesNo(sr[1] == kMarkCard || sr[1] == kMarkBoth));
      put(part, "LOTW_QSL_SENT", yesNo(sr[0] == kMarkLotw || sr[0] == kMarkBoth));
      put(part, "LOTW_QSL_RCVD", yesNo(sr[1] == kMarkLotw || sr[1] == kMarkBoth));
    });
    if (marks.hash) line.put("GRIDSQUARE", gridOf(comments));
    if (marks.satellite) line.put("PROP_MODE", "SAT");
    line.put("COMMENT", text(r, Field::COMMENTS, spare));
  }
  out += stationPart(station, otherSite);
  out += "<EOR>\n";
}

}  // namespace kivo
