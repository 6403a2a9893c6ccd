#include "logbook/frame/realtime.h"

#include <cstdio>

#include "common/fatal.h"
#include "common/text.h"
#include "logbook/entities/country_fill.h"
#include "logbook/frame/page_moves.h"
#include "logbook/records/line_editor.h"

namespace kivo {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The log keeps two-digit years, and a year divisible by 4 is a leap year; so the
// calendar repeats every hundred years, which are this many days.
constexpr long long kCenturyDays = 36525;

int daysIn(int month, int year) { return month == 2 && year % 4 == 0 ? 29 : kMonthDays[month - 1]; }

void nextDay(LogClock& c) {
  if (++c.day <= daysIn(c.month, c.year)) return;
  c.day = 1;
  if (++c.month <= 12) return;
  c.month = 1;
  c.year = (c.year + 1) % 100;
}

void previousDay(LogClock& c) {
  if (--c.day >= 1) return;
  if (--c.month < 1) {
    c.month = 12;
    c.year = (c.year + 99) % 100;
  }
  c.day = daysIn(c.month, c.year);
}

std::string twoDigits(long long value) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02lld", value);
  return buf;
}

// A line of a text file as written on any system: a CR left before the end of the
// file belongs to the line end, not to the text.
void dropCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

// The band edges are parsed like the frequency, so that a frequency written exactly
// at an edge compares equal to it.
struct BandEdges {
  double one = parseNumber("1.0");
  double thirtyLow = parseNumber("10.1");
  double thirtyHigh = parseNumber("10.15");
  double twoLow = parseNumber("143");
  double twoHigh = parseNumber("148");
  double seventyLow = parseNumber("430");
  double seventyHigh = parseNumber("460");
  double sixHundredLow = parseNumber("0.47");
  double sixHundredHigh = parseNumber("0.48");
};

}  // namespace

LogClock shiftedClock(const LocalTime& local, int timeZoneHours) {
  LogClock c;
  c.month = local.month < 1 ? 1 : local.month > 12 ? 12 : local.month;
  c.day = local.day < 1 ? 1 : local.day;
  c.year = ((local.year % 100) + 100) % 100;
  c.minute = local.minute < 0 ? 0 : local.minute > 59 ? 59 : local.minute;
  // Any TZ= is taken whole: the shift may cross more than one day.
  long long hours = static_cast<long long>(local.hour) + timeZoneHours;
  long long days = hours >= 0 ? hours / 24 : -((-hours + 23) / 24);
  c.hour = static_cast<int>(hours - days * 24);
  days %= kCenturyDays;
  for (; days > 0; --days) nextDay(c);
  for (; days < 0; ++days) previousDay(c);
  return c;
}

std::string logDate(const LogClock& c) {
  return twoDigits(c.day) + " " + std::string(kMonthNames[static_cast<size_t>(c.month - 1)]) + " " + twoDigits(c.year);
}

std::string logTime(const LogClock& c) { return twoDigits(c.hour) + twoDigits(c.minute); }

bool readTransferFile(Logbook& lb) {
  for (int attempt = 0; attempt < kTransferAttempts; ++attempt) {
    TextReader in;
    if (!in.tryOpen(lb.config.transferFileName)) {
      // The radio program may be rewriting the file just now.
      lb.console.pause(kTransferRetryMs);
      continue;
    }
    std::string freq, mode, first, second;
    bool pair = false;
    while (in.readLine(first)) {
      if (!in.readLine(second)) break;  // a frequency without its mode does not count
      freq = std::move(first);
      mode = std::move(second);
      pair = true;
    }
    in.close();
    // A file caught empty or half-written keeps the values of the last good read.
    if (!pair) return true;
    dropCarriageReturn(mode);
    RadioValues& r = lb.radio;
    r.freq = freq.substr(0, 8);
    r.highPower = mode.size() > 6;
    r.mode = fitWidth(mode, 4);
    if (r.mode == "USB " || r.mode == "LSB ") r.mode = "SSB ";
    return true;
  }
  return false;
}

std::string radioPower(const RadioValues& radio, bool markAS) {
  static const BandEdges edge;
  const double f = parseNumber(radio.freq);
  const bool rtty = radio.mode == "RTTY";
  const bool digital = radio.mode == "JT65" || radio.mode == "DATA" || radio.mode == "FT8 ";
  std::string power;
  if (rtty) power = "60  ";
  if (digital) power = "40  ";
  if (radio.highPower && f > edge.one) {
    if (f >= edge.thirtyLow && f < edge.thirtyHigh) {
      power = "200 ";  // 30 m allows less than the other bands
    } else if (rtty) {
      power = "600 ";
    } else if (digital) {
      power = markAS ? "250 " : "700 ";
    } else {
      power = "1000";
    }
  }
  if (f > edge.twoLow && f < edge.twoHigh) power = "25  ";
  if (f > edge.seventyLow && f < edge.seventyHigh) power = "16  ";
  if (f > edge.sixHundredLow && f < edge.sixHundredHigh) power = "60  ";
  return power;
}

void clockFill(Logbook& lb) {
  Console& con = lb.console;
  const int row = lb.browse.editRow;
  const LogClock c = shiftedClock(con.now(), lb.config.timeZoneHours);
  const std::string time = logTime(c);
  con.locate(row, fieldInfo(Field::DATE).column);
  con.print(logDate(c));
  con.locate(row, fieldInfo(Field::TIME).column);
  con.print(time);
  con.locate(row, fieldInfo(Field::TOFF).column);
  con.print(time);
}

void radioFill(Logbook& lb) {
  readTransferFile(lb);
  Console& con = lb.console;
  const int row = lb.browse.editRow;
  con.color(palette::kCurrentLine);
  // A shorter frequency leaves the rest of the column as it was.
  con.locate(row, fieldInfo(Field::FREQ).column);
  con.print(lb.radio.freq);
  if (!lb.config.markBM) {
    std::string power = radioPower(lb.radio, lb.config.markAS);
    if (!power.empty()) {
      con.locate(row, fieldInfo(Field::PWR).column);
      con.print(power);
    }
  }
  con.locate(row, fieldInfo(Field::MODE).column);
  con.print(lb.radio.mode);
  clockFill(lb);
}

void autoLogFill(Logbook& lb) {
  Console& con = lb.console;
  CursorKeeper from(con);
  const int editRow = lb.browse.editRow;
  radioFill(lb);
  if (lb.radio.mode == "SSB " || lb.radio.mode == "FM  ") {
    con.locate(editRow, fieldInfo(Field::SN).column);
    con.print("59 ");
    con.locate(editRow, fieldInfo(Field::RD).column);
    con.print("59 ");
  }
  AutoLog& a = lb.autoLog;
  if (!lb.browse.realTimeMode) {
    con.color(palette::kCurrentLine);
    con.locate(editRow, fieldInfo(Field::STATION).column);
    // The screen is the edit buffer: a long name must not overwrite the separators.
    con.print(a.call.substr(0, static_cast<size_t>(fieldInfo(Field::STATION).width)));
    con.locate(editRow, fieldInfo(Field::SN).column);
    fillCountry(lb);
    if (!a.text.empty()) {
      con.locate(commentRow(lb), 1);
      con.print(a.text.substr(0, kCommentWidth));
      a.text.clear();
    }
  } else {
    // In real-time mode the user goes on where the cursor was; a waiting station is
    // dropped, and its comment with it, so that it cannot land on a later contact.
    from.restore();
    if (a.pending) a.text.clear();
  }
  a.pending = false;
  lb.lineModified = true;
}

void checkDropFile(Logbook& lb) {
  TextReader in;
  if (!in.tryOpen(kDropFile)) return;  // nobody left a station for us
  std::string line;
  bool haveLine = false;
  try {
    haveLine = in.readLine(line);
  } catch (const RuntimeError&) {
    haveLine = false;  // an unreadable drop file is passed over like a missing one
  }
  in.close();
  removeFile(kDropFile);  // when it cannot be deleted there is nothing better to do
  if (!haveLine) return;  // a file without a line names no station
  dropCarriageReturn(line);
  line = upperCase(blankRecordBreakers(line));
  AutoLog& a = lb.autoLog;
  size_t blank = line.find(' ');
  if (blank == std::string::npos) {
    a.call = line;
  } else {
    a.text = line.substr(blank + 1);
    a.call = line.substr(0, blank + 1);  // the blank lands in STATION harmlessly
  }
  a.pending = true;
  lastPage(lb);
}

}  // namespace kivo
