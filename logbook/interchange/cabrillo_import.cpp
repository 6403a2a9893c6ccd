#include "logbook/interchange/cabrillo_import.h"

#include "common/text.h"
#include "logbook/interchange/import_common.h"

namespace kivo {

namespace {

constexpr const char* kQuestion = "What is the name of the cabrillo file? ";

// The columns of a QSO: line in the Cabrillo template, counted from 1.
struct Columns {
  size_t first;
  size_t last;
};
constexpr Columns kFreqColumns{6, 10};  // kHz, right-aligned
constexpr Columns kModeColumns{12, 13};
constexpr Columns kYearColumns{17, 18};  // the last two digits of yyyy-mm-dd
constexpr Columns kMonthColumns{20, 21};
constexpr Columns kDayColumns{23, 24};
constexpr Columns kTimeColumns{26, 29};
constexpr Columns kSentRstColumns{45, 47};
constexpr Columns kCallColumns{56, 66};  // the station worked
constexpr Columns kReceivedRstColumns{70, 72};

// What the line holds of the columns.
std::string_view columns(std::string_view line, Columns c) { return slice(line, c.first - 1, c.last - c.first + 1); }

// The kHz as MHz with two integer digits: 7025 right-aligned gives 07.02500, 14025
// gives 14.02500.
std::string frequency(std::string_view line) {
  std::string khz(columns(line, kFreqColumns));
  if (!khz.empty() && khz[0] == ' ') khz[0] = '0';
  khz += "000000";
  return khz.substr(0, 2) + "." + khz.substr(2, 5);
}

// A right-aligned report is stored left-aligned: a leading blank goes to the end.
std::string report(std::string_view text) {
  std::string rst(text);
  if (!rst.empty() && rst[0] == ' ') rst = rst.substr(1) + ' ';
  return rst;
}

// An unknown pair keeps the mode of the line before; before any line it is blank.
void takeMode(std::string_view pair, std::string& mode) {
  if (pair == "CW") mode = "CW";
  if (pair == "PH") mode = "SSB";
  if (pair == "FM") mode = "FM";
  if (pair == "RY") mode = "RTTY";
}

}  // namespace

void cabrilloImport(Logbook& lb, OutputFile& out) {
  TextReader in;
  askImportFile(lb, kQuestion, in);
  lb.console.printLineIn(palette::kBlinking, "Converting ");
  LogRecord r;
  std::string mode, line;
  while (in.readLine(line)) {
    if (!line.starts_with("QSO:")) continue;
    line = blankRecordBreakers(line);  // 0x00, the separator 0xFF and a lone CR as blanks
    r.setZeroPadded(Field::DATE, importedDate(columns(line, kDayColumns), columns(line, kMonthColumns),
                                              columns(line, kYearColumns)));
    r.setZeroPadded(Field::FREQ, frequency(line));
    takeMode(columns(line, kModeColumns), mode);
    r.set(Field::MODE, mode);
    r.set(Field::PWR, lb.config.defaultPower);
    r.setZeroPadded(Field::TIME, columns(line, kTimeColumns));
    r.setZeroPadded(Field::STATION, std::string(columns(line, kCallColumns)) + "    ");
    r.setZeroPadded(Field::SN, report(columns(line, kSentRstColumns)));
    r.setZeroPadded(Field::RD, report(columns(line, kReceivedRstColumns)));
    r.setZeroPadded(Field::TOFF, r.get(Field::TIME));
    r.set(Field::COUNTRY, "");
    r.set(Field::SR, "");
    r.set(Field::COMMENTS, "");
    r.setSeparators();
    out.writeRecord(r);
  }
}

}  // namespace kivo
