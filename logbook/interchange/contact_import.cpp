#include "logbook/interchange/contact_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "logbook/interchange/adif_bands.h"
#include "logbook/interchange/adif_modes.h"
#include "logbook/interchange/cabrillo_tokens.h"
#include "logbook/interchange/outside_text.h"

namespace kivo {

namespace {

constexpr size_t kStationWidth = 16;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
    text.remove_prefix(1);
  return text;
}

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The value of a few digits (checked to be digits before).
int number(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A text value as typed on the screen: the code page's characters, letters in upper
// case, blanks at the end dropped (and at the start too for a word). ASCII without
// control characters, as nearly every value is, is taken as it stands.
std::string typedValue(std::string_view value, bool word) {
  bool plain = true;
  for (char c : value) plain = plain && c >= ' ' && c < 0x7F;
  if (!plain) {
    std::string text = upperCase(codePageText(value));
    text.erase(text.find_last_not_of(' ') + 1);
    if (word) text.erase(0, text.find_first_not_of(' '));
    return text;
  }
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  while (word && !value.empty() && value.front() == ' ') value.remove_prefix(1);
  std::string text(value);
  for (char& c : text) c = upper(c);
  return text;
}

std::string typedText(std::string_view value) { return typedValue(value, false); }
std::string typedWord(std::string_view value) { return typedValue(value, true); }

// typedWord of a value, made in `room` where the value is plain ASCII (nearly every
// one is) and in `slow` otherwise. Only the first `width` bytes are made in `room`;
// `length` is the whole length.
std::string_view typedWordIn(std::string_view value, char* room, size_t width, std::string& slow, size_t& length) {
  for (char c : value)
    if (c < ' ' || c >= 0x7F) {
      slow = typedWord(value);
      length = slow.size();
      return slow;
    }
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  length = value.size();
  const size_t n = std::min(length, width);
  for (size_t i = 0; i < n; ++i) room[i] = upper(value[i]);
  return {room, n};
}

// The mode of the record before, when this one has the same MODE and SUBMODE: a log
// holds long runs of one mode.
const std::string& cachedModeCode(std::string_view mode, std::string_view submode) {
  thread_local std::string lastMode, lastSubmode, lastCode;
  if (mode != lastMode || submode != lastSubmode) {
    lastMode = mode;
    lastSubmode = submode;
    lastCode = modeCode(typedWord(mode), typedWord(submode));
  }
  return lastCode;
}

// FREQ of the record before, when this one has the same text: a log holds long runs
// of one frequency.
const std::string& cachedFrequency(std::string_view freq) {
  thread_local std::string lastText = "\x01", lastField;
  if (freq != lastText) {
    lastText = freq;
    lastField = frequencyField(freq);
  }
  return lastField;
}

// The report a contact without one is given: 59 for the phone modes, 599 otherwise.
std::string_view defaultReport(std::string_view mode) {
  return mode == "SSB" || mode == "FM" || mode == "AM" ? "59" : "599";
}

// TX_PWR as a number without its unit ("2W" is 2), fitted to the four characters.
std::string powerField(std::string_view value) {
  value = trimmed(value);
  size_t end = 0;
  bool point = false;
  while (end < value.size() && ((value[end] >= '0' && value[end] <= '9') || (value[end] == '.' && !point))) {
    point = point || value[end] == '.';
    ++end;
  }
  const std::string_view digits = value.substr(0, end);
  if (digits.empty() || digits == ".") return {};
  if (digits.size() <= 4) return std::string(digits);
  const double watts = parseNumber(digits);
  if (watts > 9999) return "9999";
  return std::to_string(roundHalfEven(watts));
}

bool says(std::string_view value, bool verifiedToo) {
  value = trimmed(value);
  if (value.empty()) return false;
  const char c = upperChar(value[0]);
  return c == 'Y' || (verifiedToo && c == 'V');
}

char qslMark(bool card, bool lotw) { return card && lotw ? 'B' : card ? 'X' : lotw ? 'L' : ' '; }

// The comment with the markers the award tables read: "#" and the square, and " SAT"
// for a satellite contact, each unless the comment holds it already. The comment
// gives way to them at the 38th character, so that they are never cut off.
std::string commentsWithMarkers(std::string comment, std::string_view grid, bool satellite) {
  std::string markers;
  if (grid.size() >= 4) {
    // Four printable ASCII bytes, as a square nearly always is, stand as they are.
    char plain[5] = {'#'};
    bool ascii = true;
    for (size_t i = 0; i < 4; ++i) {
      plain[i + 1] = upper(grid[i]);
      ascii = ascii && grid[i] >= ' ' && grid[i] < 0x7F;
    }
    const std::string square = ascii ? std::string(plain, 5) : "#" + upperCase(codePageText(grid.substr(0, 4)));
    if (comment.find(square) == std::string::npos) markers = square;
  }
  if (satellite && comment.find(" SAT") == std::string::npos) markers += " SAT";
  const size_t width = static_cast<size_t>(fieldInfo(Field::COMMENTS).width);
  if (markers.empty()) return comment.substr(0, width);
  const std::string gap = comment.empty() || markers[0] == ' ' ? "" : " ";
  comment = comment.substr(0, width - markers.size() - gap.size());
  comment.erase(comment.find_last_not_of(' ') + 1);
  return comment + (comment.empty() ? "" : gap) + markers;
}

struct Contact {
  std::string date, freq, mode, power, time, station, sent, received, off, sr, comments;
};

// The fields of a record, each as it is to stand (put() pads or cuts it).
struct ContactFields {
  std::string_view date, freq, mode, power, time, station, sent, received, off, sr, comments;
};

std::string checkCall(const std::string& station) {
  if (station.empty()) return "no call";
  if (station.size() > kStationWidth) return "a call longer than 16 characters";
  return {};
}

// A field blank-padded or cut to its width, as LogRecord::set stores it; here in
// line, as every record sets all twelve.
template <Field F>
void put(LogRecord& out, std::string_view text) {
  constexpr FieldInfo info = fieldInfo(F);
  constexpr auto width = static_cast<size_t>(info.width);
  uint8_t* to = out.bytes.data() + info.offset;
  const size_t n = text.size() < width ? text.size() : width;
  if (n > 0) std::memcpy(to, text.data(), n);  // an empty view may hold no pointer at all
  std::memset(to + n, ' ', width - n);
}

// COUNTRY is left blank here: fillEntity fills it from STATION.
void store(const ContactFields& c, LogRecord& out) {
  out.clear();
  put<Field::DATE>(out, c.date);
  put<Field::FREQ>(out, c.freq);
  put<Field::MODE>(out, c.mode);
  put<Field::PWR>(out, c.power);
  put<Field::TIME>(out, c.time);
  put<Field::STATION>(out, c.station);
  put<Field::SN>(out, c.sent);
  put<Field::RD>(out, c.received);
  put<Field::TOFF>(out, c.off.empty() ? c.time : c.off);
  put<Field::COUNTRY>(out, {});
  put<Field::SR>(out, c.sr);
  put<Field::COMMENTS>(out, c.comments);
  out.setSeparators();
}

void store(const Contact& c, LogRecord& out) {
  store(ContactFields{c.date, c.freq, c.mode, c.power, c.time, c.station, c.sent, c.received, c.off, c.sr, c.comments},
        out);
}

enum Slot {
  kCall,
  kDate,
  kTimeOn,
  kTimeOff,
  kFreq,
  kBand,
  kMode,
  kSubmode,
  kPower,
  kSent,
  kReceived,
  kQslSent,
  kQslReceived,
  kLotwSent,
  kLotwReceived,
  kComment,
  kGrid,
  kPropagation,
  kSlots
};
constexpr std::string_view kSlotNames[kSlots] = {"CALL",     "QSO_DATE",   "TIME_ON",  "TIME_OFF",      "FREQ",
                                                 "BAND",     "MODE",       "SUBMODE",  "TX_PWR",        "RST_SENT",
                                                 "RST_RCVD", "QSL_SENT",   "QSL_RCVD", "LOTW_QSL_SENT", "LOTW_QSL_RCVD",
                                                 "COMMENT",  "GRIDSQUARE", "PROP_MODE"};

// The slot of a field name (any case), or kSlots for a name the record does not
// need: the length and the first letter leave at most two names to compare.
Slot slotOf(std::string_view name) {
  if (name.size() < 4 || name.size() > 13) return kSlots;
  const auto is = [&](Slot s) { return sameAdifName(name, kSlotNames[s]) ? s : kSlots; };
  const auto at = [&](size_t i) { return i < name.size() ? upperChar(name[i]) : '\0'; };
  switch (at(0)) {
    case 'B': return is(kBand);
    case 'C': return name.size() == 4 ? is(kCall) : is(kComment);
    case 'F': return is(kFreq);
    case 'G': return is(kGrid);
    case 'L': return at(12) == 'T' ? is(kLotwSent) : is(kLotwReceived);
    case 'M': return is(kMode);
    case 'P': return is(kPropagation);
    case 'Q':
      if (at(2) == 'O') return is(kDate);
      return at(4) == 'S' ? is(kQslSent) : is(kQslReceived);
    case 'R': return at(4) == 'S' ? is(kSent) : is(kReceived);
    case 'S': return is(kSubmode);
    case 'T':
      if (name.size() == 6) return is(kPower);
      return name.size() == 7 ? is(kTimeOn) : is(kTimeOff);
    default: return kSlots;
  }
}

// The values the record needs, by slot; the last of a name counts. Only the slots
// found are written (most of the eighteen are not in a record), and a bit says which.
class SlotValues {
 public:
  explicit SlotValues(const AdifRecord& record) {
    for (const AdifField& f : record.fields)
      if (const Slot s = slotOf(f.name); s != kSlots) {
        found_ |= 1u << s;
        values_[s] = {f.value.data(), f.value.size()};
      }
  }
  std::string_view operator[](Slot s) const {
    return (found_ >> s & 1) != 0 ? std::string_view(values_[s].data, values_[s].size) : std::string_view();
  }

 private:
  struct Value {
    const char* data;
    size_t size;
  };
  Value values_[kSlots];
  uint32_t found_ = 0;
};

}  // namespace

EntityFill::EntityFill(const CountryTable& table) : table_(table) {
  for (const CountryEntry& e : table.entries)
    if (!e.kind.empty() && e.kind[0] == '%') byPrefix_ = false;
}

const std::string& EntityFill::country(std::string_view station) {
  const std::string_view call = station.substr(0, station.find(' '));
  const bool plain = !call.empty() && call.find('/') == std::string_view::npos;
  const size_t width = static_cast<size_t>(fieldInfo(Field::COUNTRY).width);
  // Without a slash, a call longer than four characters is looked up by its first
  // four alone: no rule of the table reads further (only a "%" entry, which takes
  // the name from the call itself, and then every call is looked up on its own).
  if (plain && (call.size() <= 4 || byPrefix_)) {
    const bool prefix = call.size() > 4;
    uint64_t key = prefix ? 5 : call.size();  // the length, or 5 for "the first four of a longer call"
    for (size_t i = 0; i < 4 && i < call.size(); ++i)
      key |= static_cast<uint64_t>(static_cast<unsigned char>(call[i])) << (8 * i + 8);
    if (const std::string* name = findShort(key)) return *name;
    return addShort(key, lookupEntity(startingWith(call[0]), call).substr(0, width));
  }
  auto it = known_.find(std::string(call));
  if (it == known_.end()) {
    const CountryTable& table = plain ? startingWith(call[0]) : slashed(call);
    it = known_.emplace(std::string(call), lookupEntity(table, call).substr(0, width)).first;
  }
  return it->second;
}

// A call with a slash is looked up as the table reads it (a prefix before the slash
// is moved behind it), and an entry can match only when its pattern begins with the
// first character of that, with a star or a blank, or with the slash of a pattern
// that names only what follows the slash.
const CountryTable& EntityFill::slashed(std::string_view call) {
  const std::string read = normalizeCallsign(call);
  if (read.empty()) return table_;
  const char first = read[0];
  auto& table = bySlashFirst_[static_cast<unsigned char>(first)];
  if (!table) {
    table = std::make_unique<CountryTable>();
    for (const CountryEntry& e : table_.entries)
      if (e.prefix.empty() || e.prefix[0] == first || e.prefix[0] == '*' || e.prefix[0] == ' ' || e.prefix[0] == '/')
        table->entries.push_back(e);
  }
  return *table;
}

namespace {
uint64_t mixed(uint64_t key) {
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdull;
  return key ^ (key >> 33);
}
}  // namespace

const std::string* EntityFill::findShort(uint64_t key) const {
  const size_t mask = shortSlots_.size() - 1;
  for (size_t i = mixed(key) & mask; shortSlots_[i].second != 0; i = (i + 1) & mask)
    if (shortSlots_[i].first == key) return &shortNames_[shortSlots_[i].second - 1];
  return nullptr;
}

const std::string& EntityFill::addShort(uint64_t key, std::string name) {
  shortNames_.push_back(std::move(name));
  if (shortNames_.size() * 2 > shortSlots_.size()) {
    std::vector<std::pair<uint64_t, uint32_t>> old(shortSlots_.size() * 2);
    old.swap(shortSlots_);
    for (const auto& slot : old)
      if (slot.second != 0) {
        size_t i = mixed(slot.first) & (shortSlots_.size() - 1);
        while (shortSlots_[i].second != 0) i = (i + 1) & (shortSlots_.size() - 1);
        shortSlots_[i] = slot;
      }
  }
  size_t i = mixed(key) & (shortSlots_.size() - 1);
  while (shortSlots_[i].second != 0) i = (i + 1) & (shortSlots_.size() - 1);
  shortSlots_[i] = {key, static_cast<uint32_t>(shortNames_.size())};
  return shortNames_.back();
}

// Without a slash in the call, an entry can match only when its pattern begins with
// the call's first character or a star, or with a blank (an empty prefix, which
// matches every call).
const CountryTable& EntityFill::startingWith(char first) {
  auto& table = byFirst_[static_cast<unsigned char>(first)];
  if (!table) {
    table = std::make_unique<CountryTable>();
    for (const CountryEntry& e : table_.entries)
      if (e.prefix.empty() || e.prefix[0] == first || e.prefix[0] == '*' || e.prefix[0] == ' ')
        table->entries.push_back(e);
  }
  return *table;
}

bool isLotwReport(const std::vector<AdifField>& header) {
  for (const AdifField& f : header)
    if (sameAdifName(f.name, "PROGRAMID") && sameAdifName(trimmed(f.value), "LOTW")) return true;
  return false;
}

namespace {

// logDate into `out`; false when it is no date.
bool dateInto(std::string_view yyyymmdd, char (&out)[9]) {
  yyyymmdd = trimmed(yyyymmdd);
  if (yyyymmdd.size() != 8 || !allDigits(yyyymmdd)) return false;
  const int year = number(yyyymmdd.substr(0, 4));
  const int month = number(yyyymmdd.substr(4, 2));
  const int day = number(yyyymmdd.substr(6, 2));
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  if (month == 2 && day == 29 && !(year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))) return false;
  const std::string_view name = kMonthNames[static_cast<size_t>(month - 1)];
  const char text[9] = {yyyymmdd[6], yyyymmdd[7], ' ', name[0], name[1], name[2], ' ', yyyymmdd[2], yyyymmdd[3]};
  std::memcpy(out, text, sizeof text);
  return true;
}

// logTime into `out`; false when it is no time.
bool timeInto(std::string_view hhmm, char (&out)[4]) {
  hhmm = trimmed(hhmm);
  if ((hhmm.size() != 4 && hhmm.size() != 6) || !allDigits(hhmm)) return false;
  if (number(hhmm.substr(0, 2)) > 23 || number(hhmm.substr(2, 2)) > 59) return false;
  if (hhmm.size() == 6 && number(hhmm.substr(4, 2)) > 59) return false;
  std::memcpy(out, hhmm.data(), 4);
  return true;
}

// The comment of an ADIF record with its markers (see commentsWithMarkers). A record
// without a comment, as most are, gets the markers alone.
std::string_view adifComments(std::string_view comment, std::string_view grid, bool satellite, std::string& room) {
  if (!comment.empty()) {
    room = commentsWithMarkers(typedText(comment), grid, satellite);
    return room;
  }
  room.clear();
  if (grid.size() >= 4) {
    bool ascii = true;
    for (size_t i = 0; i < 4; ++i) ascii = ascii && grid[i] >= ' ' && grid[i] < 0x7F;
    if (!ascii) return room = commentsWithMarkers({}, grid, satellite);
    room += '#';
    for (size_t i = 0; i < 4; ++i) room += upper(grid[i]);
  }
  if (satellite) room += " SAT";
  return room;
}

}  // namespace

std::string logDate(std::string_view yyyymmdd) {
  char text[9];
  return dateInto(yyyymmdd, text) ? std::string(text, sizeof text) : std::string();
}

std::string logTime(std::string_view hhmm) {
  char text[4];
  return timeInto(hhmm, text) ? std::string(text, sizeof text) : std::string();
}

// Every field is made in room of its own on the stack (or in a string for the rare
// value that is not plain ASCII) and put into the record from there.
std::string adifContact(const AdifRecord& record, const ImportDefaults& defaults, LogRecord& out) {
  const SlotValues v(record);
  char call[kStationWidth], date[9], time[4], off[4], sent[3], received[3];
  std::string slowCall, slowSent, slowReceived, powerText, commentsText;
  size_t length = 0;
  const std::string_view station = typedWordIn(v[kCall], call, sizeof call, slowCall, length);
  if (length == 0) return "no call";
  if (length > kStationWidth) return "a call longer than 16 characters";
  if (!dateInto(v[kDate], date)) return "no date that can be read";
  if (!timeInto(v[kTimeOn], time)) return "no time that can be read";
  const std::string_view timeOn(time, sizeof time);
  std::string_view freq = cachedFrequency(v[kFreq]);
  if (freq.empty())
    if (const AdifBand* band = bandNamed(v[kBand])) freq = band->frequency;
  const std::string_view mode = cachedModeCode(v[kMode], v[kSubmode]);
  powerText = powerField(v[kPower]);
  const std::string_view power = powerText.empty() ? std::string_view(defaults.power) : std::string_view(powerText);
  std::string_view sentText = typedWordIn(v[kSent], sent, sizeof sent, slowSent, length);
  if (length == 0) sentText = defaultReport(mode);
  std::string_view receivedText = typedWordIn(v[kReceived], received, sizeof received, slowReceived, length);
  if (length == 0) receivedText = defaultReport(mode);
  bool cardSent = says(v[kQslSent], false), cardReceived = says(v[kQslReceived], true);
  bool lotwSent = says(v[kLotwSent], false), lotwReceived = says(v[kLotwReceived], true);
  if (defaults.qslFieldsAreLotw) {
    lotwSent = lotwSent || cardSent;
    lotwReceived = lotwReceived || cardReceived;
    cardSent = cardReceived = false;
  }
  const char sr[2] = {qslMark(cardSent, lotwSent), qslMark(cardReceived, lotwReceived)};
  const std::string_view comments =
      adifComments(v[kComment], trimmed(v[kGrid]), sameAdifName(trimmed(v[kPropagation]), "SAT"), commentsText);
  store(ContactFields{{date, sizeof date},
                      freq,
                      mode,
                      power,
                      timeOn,
                      station,
                      sentText,
                      receivedText,
                      timeInto(v[kTimeOff], off) ? std::string_view(off, sizeof off) : timeOn,
                      {sr, sizeof sr},
                      comments},
        out);
  return {};
}

std::string adifContact(const AdifRecord& record, const ImportDefaults& defaults, EntityFill& entities,
                        LogRecord& out) {
  std::string why = adifContact(record, defaults, out);
  if (why.empty()) fillEntity(entities, out);
  return why;
}

// The station is the STATION field up to its first blank: the call as typed, which
// holds no blank at its end and fits the field.
void fillEntity(EntityFill& entities, LogRecord& record) {
  constexpr FieldInfo station = fieldInfo(Field::STATION);
  const std::string_view call(reinterpret_cast<const char*>(record.bytes.data()) + station.offset,
                              static_cast<size_t>(station.width));
  put<Field::COUNTRY>(record, entities.country(call));
}

namespace {

std::string cabrilloFrequency(std::string_view frequency) {
  if (std::string_view band = cabrilloBand(frequency); !band.empty()) return std::string(bandNamed(band)->frequency);
  if (allDigits(frequency) && frequency.size() >= 4) {  // kHz: the point goes three digits from the right
    std::string mhz(frequency.substr(0, frequency.size() - 3));
    mhz += '.';
    mhz += frequency.substr(frequency.size() - 3);
    return frequencyField(mhz);
  }
  return {};
}

std::string cabrilloMode(std::string_view mode) {
  if (sameAdifName(mode, "CW")) return "CW";
  if (sameAdifName(mode, "PH")) return "SSB";
  if (sameAdifName(mode, "FM")) return "FM";
  if (sameAdifName(mode, "RY")) return "RTTY";
  if (sameAdifName(mode, "DG")) return "DATA";
  return {};
}

// A signal report: RS or RST, readability 1-5 and strength 1-9 (tone 1-9).
bool isReport(std::string_view t) {
  if ((t.size() != 2 && t.size() != 3) || !allDigits(t)) return false;
  return t[0] >= '1' && t[0] <= '5' && t[1] >= '1' && (t.size() == 2 || t[2] >= '1');
}

std::string reportOf(const std::vector<std::string_view>& exchange, const std::string& mode) {
  return std::string(!exchange.empty() && isReport(exchange[0]) ? exchange[0] : defaultReport(mode));
}

}  // namespace

std::string cabrilloContact(std::string_view line, const ImportDefaults& defaults, LogRecord& out) {
  CabrilloQso q;
  if (!splitCabrilloQso(line, q)) return "a QSO line without both calls";
  Contact c;
  c.station = typedWord(q.receivedCall);
  if (std::string why = checkCall(c.station); !why.empty()) return why;
  std::string digits(q.date);
  if (digits.size() == 10 && digits[4] == '-' && digits[7] == '-')
    digits = digits.substr(0, 4) + digits.substr(5, 2) + digits.substr(8, 2);
  c.date = logDate(digits);
  if (c.date.empty()) return "no date that can be read";
  c.time = q.time.size() == 4 ? logTime(q.time) : std::string();
  if (c.time.empty()) return "no time that can be read";
  c.freq = cabrilloFrequency(q.frequency);
  c.mode = cabrilloMode(q.mode);
  c.power = defaults.power;
  c.sent = reportOf(q.sentExchange, c.mode);
  c.received = reportOf(q.receivedExchange, c.mode);
  c.sr = "  ";
  for (std::string_view token : q.receivedExchange) c.comments += (c.comments.empty() ? "" : " ") + typedWord(token);
  c.comments = c.comments.substr(0, static_cast<size_t>(fieldInfo(Field::COMMENTS).width));
  store(c, out);
  return {};
}

std::string cabrilloContact(std::string_view line, const ImportDefaults& defaults, EntityFill& entities,
                            LogRecord& out) {
  std::string why = cabrilloContact(line, defaults, out);
  if (why.empty()) fillEntity(entities, out);
  return why;
}

}  // namespace kivo
