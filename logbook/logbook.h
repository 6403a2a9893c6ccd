#pragma once
// The one state object of the logbook: configuration, station settings, browse
// state, the record buffer, the tables and the flags. Every operation takes it.
//
// It is declared where the lowest layer (the records) can see it. The prefix and
// grid tables are the entities' own types, so the state holds them through
// pointers and is built and destroyed by the entities' code (state.cpp there).
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/files.h"
#include "logbook/records/log_record.h"
#include "logbook/records/record_file.h"

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

// Where the browse screen stands.
struct BrowseState {
  long long currentRecord = 1;               // the record on the edit row; one past the last on the new-contact line
  int editRow = 4;                           // the screen row of the current record
  long long firstShown = 1;                  // the record on the first record row
  long long lastShown = 1;                   // the record on the last row in use
  ScrollMode scrollMode = ScrollMode::None;  // a run of Alt-U or Alt-L in progress
  long long runStep = 0;                     // the records the run has moved over, to pace it
  bool insertMode = false;                   // Insert: typing pushes the field right
  bool realTimeMode = false;                 // Alt-A: new contacts filled from the radio and the clock
};

// A held mouse button, as the mouse code of the browse screen counts it; nothing
// else reads it.
struct MouseHold {
  bool pressed = false;    // the button was down at the last poll
  bool repeating = false;  // held long enough: every poll acts again
  int polls = 0;           // polls the button has been held before repeating
};

// Alt-S and Alt-E: the records the LOTW export may send (0: not set).
struct ExportRange {
  long long start = 0;
  long long end = 0;
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
struct CountryTable;
struct GridTable;

// The award tables' side of the run: the contacts saved for them, what the last
// updates changed (for the messages) and what is kept between updates.
struct TableUpdates {
  std::vector<LogRecord> savedContacts;  // saved by the line editor, not yet applied to the tables
  bool suppressUpdate = false;           // Alt-D's save of a line it is about to delete counts for nothing
  bool workedUpdated = false;            // WORKED.CFM changed: its message at the next pass
  bool gridUpdated = false;              // GRID.SQU changed: its message at the next pass
  // The lines of WORKED.CFM up to its "END" line, as the unconfirmed-entity reports
  // counted them at their first use in the run; -1 until then.
  long long workedLineCount = -1;
  std::shared_ptr<WorkedTableCache> workedCache;  // WORKED.CFM kept during a run of updates
};

struct Logbook {
  explicit Logbook(Console& c);
  ~Logbook();
  Logbook(const Logbook&) = delete;
  Logbook& operator=(const Logbook&) = delete;

  Console& console;          // the screen (the edit buffer) and the keyboard, mouse and clock
  Config config;             // the command line
  std::string logFileName;   // the current log, as named
  StationSettings settings;  // KIVOLOG.INI
  BrowseState browse;        // where the browse screen stands
  MouseHold mouseHold;       // the mouse code's count of a held button
  ExportRange exportRange;   // Alt-S / Alt-E

  LogRecord record;                         // the one record buffer
  RecordFile log;                           // the current log, open and locked
  RecordFile heldLog;                       // the log, still locked, while the worked-before list is shown
  std::unique_ptr<CountryTable> countries;  // COUNTRY.DAT, never null
  std::unique_ptr<GridTable> grid;          // GRID.SQU, never null
  TableUpdates tables;                      // WORKED.CFM and GRID.SQU updates

  bool lineModified = false;      // the edit row differs from its record: a move saves it
  bool workedBeforeMode = false;  // the worked-before list (TEMPLOG) is the open log

  AutoLog autoLog;                                      // a station waiting to be logged
  RadioValues radio;                                    // the last good read of the transfer file
  std::vector<std::unique_ptr<FolderLock>> tableLocks;  // the folders of the tables, ours for the run
  std::string lastSearchText;                           // the text of the last search (F1), for "="
  std::string savedLogName;                             // the log to go back to from the worked-before list
};

}  // namespace kivo
