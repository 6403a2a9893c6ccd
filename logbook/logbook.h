#pragma once
// The one state object of the logbook: configuration, station settings, browse
// state, the record buffer, the tables and the flags. Every operation takes it.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/files.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/records/log_record.h"

namespace kivo {

inline constexpr const char* kRunMarker = "KIVOLOG.RUN";
inline constexpr const char* kSettingsFile = "KIVOLOG.INI";
inline constexpr const char* kDropFile = "KIVOLOG.IN";

// What the command line sets; it does not change while the logbook runs.
struct Config {
  std::string startLog = "LOGMAIN.DAT";  // F=: the log opened at start-up
  std::string countryFileName = "COUNTRY.DAT";
  std::string workedFileName = "WORKED.CFM";
  std::string gridFileName = "GRID.SQU";
  // The radio-control program's transfer file; in the working directory by default.
  std::string transferFileName = "RIGXFER.OUT";
  std::string defaultPower = "100";
  bool mouseEnabled = true;
  int screenRows = 25;
  int timeZoneHours = 0;
  bool markBM = false;  // BM=: new contacts start their comment with "@BM "
  bool markAS = false;  // AD=: new contacts are from the alternative site ("@AS ")
  // S=: a station to log on the first screen, and its comment.
  std::string stationCall;
  std::string stationText;
};

// The twelve values of KIVOLOG.INI, in file order.
struct StationSettings {
  std::string operatorCall, continent, cqZone, ituZone, iotaNumber, gridSquare, state, county, lastQslFile, lastNewFile,
      altGridSquare, altCounty;

  static constexpr size_t kCount = 12;
  std::array<std::string*, kCount> values() {
    return {&operatorCall, &continent, &cqZone,      &ituZone,     &iotaNumber,    &gridSquare,
            &state,        &county,    &lastQslFile, &lastNewFile, &altGridSquare, &altCounty};
  }
  std::array<const std::string*, kCount> values() const {
    auto v = const_cast<StationSettings*>(this)->values();
    std::array<const std::string*, kCount> out;
    for (size_t i = 0; i < kCount; ++i) out[i] = v[i];
    return out;
  }
  bool operator==(const StationSettings&) const = default;
};

enum class ScrollMode {
  None,
  Update,        // every record to the end is saved again through the award tables
  MarkSentLotw,  // the same, marking each QSL as sent through LOTW
};

struct BrowseState {
  long long currentRecord = 1;
  int editRow = 4;
  long long firstShown = 1;
  long long lastShown = 1;
  ScrollMode scrollMode = ScrollMode::None;
  bool insertMode = false;
  bool realTimeMode = false;
  bool rebuildRequested = false;
  long long adifStart = 0;
  long long adifEnd = 0;
  bool mousePressed = false;
  bool mouseRepeat = false;
  int mouseHoldCount = 0;
};

// What the radio reported at the last good read of the transfer file; kept between
// fills, empty until the first one.
struct RadioValues {
  std::string freq;  // at most 8 characters
  std::string mode;  // 4 characters once read
  bool highPower = false;
};

// A station waiting to be logged, from S= or the drop file.
struct AutoLog {
  bool pending = false;
  std::string call;
  std::string text;  // its comment; kept for a later station when there is no call
};

struct WorkedTableCache;

struct Logbook {
  explicit Logbook(Console& c) : console(c) {}

  Console& console;
  Config config;
  std::string logFileName;  // the current log
  StationSettings settings;
  BrowseState browse;

  LogRecord record;  // the one record buffer
  RecordFile log;    // the current log
  CountryTable countries;
  GridTable grid;

  bool lineModified = false;
  bool suppressTableUpdate = false;
  bool workedUpdated = false;
  bool gridUpdated = false;
  bool workedBeforeMode = false;
  // The lines of WORKED.CFM up to its "END" line, as the unconfirmed-entity reports
  // counted them at their first use in the run; -1 until then.
  long long workedLineCount = -1;

  AutoLog autoLog;
  RadioValues radio;
  std::shared_ptr<WorkedTableCache> workedCache;        // WORKED.CFM kept during a run of updates
  std::vector<std::shared_ptr<FolderLock>> tableLocks;  // the folders of the tables, ours for the run
  std::string lastSearchText;                           // the text of the last search (F1), for "="
  std::string savedLogName;                             // the log to go back to from the worked-before list
};

}  // namespace kivo
