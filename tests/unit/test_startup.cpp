#include <gtest/gtest.h>

#include "common/fatal.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/logbook_options.h"
#include "logbook/frame/startup.h"
#include "logbook/records/station_settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace kivo {
using testing::exists;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

namespace {
Config parse(const std::string& line) { return parseCommandLine(testing::splitArgs(line)); }

void writeTables() {
  writeFile("COUNTRY.DAT", "PREFIX TABLE\r\n----\r\nK    X    USA\r\nDL        GERMANY\r\n");
  writeFile("GRID.SQU", "FN31 /\r\n");
}

struct LogbookRun : testing::ScriptedLogbook {
  int status = -1;
  explicit LogbookRun(const std::string& commandLine) { lb.config = parse(commandLine); }
  void go() { status = runLogbook(lb); }
};
}  // namespace

TEST(CommandLine, Defaults) {
  Config c = parse("");
  EXPECT_EQ(c.startLog, "LOGMAIN.DAT");
  EXPECT_EQ(c.countryFileName, "COUNTRY.DAT");
  EXPECT_EQ(c.workedFileName, "WORKED.CFM");
  EXPECT_EQ(c.gridFileName, "GRID.SQU");
  EXPECT_EQ(c.transferFileName, "RIGXFER.OUT");
  EXPECT_EQ(c.defaultPower, "100");
  EXPECT_TRUE(c.mouseEnabled);
  EXPECT_EQ(c.screenRows, 25);
  EXPECT_EQ(c.timeZoneHours, 0);
  EXPECT_FALSE(c.markBM || c.markAS || !c.stationCall.empty());
}

TEST(CommandLine, KeysAndValuesAreUpperCased) {
  EXPECT_EQ(parse("f=c:\\ham\\log92.dat").startLog, "C:\\HAM\\LOG92.DAT");
  Config c = parse("F=A.DAT NOMOUSE");
  EXPECT_EQ(c.startLog, "A.DAT");
  EXPECT_FALSE(c.mouseEnabled);
  c = parse("NOMOUSE F=A.DAT");
  EXPECT_EQ(c.startLog, "A.DAT");
  EXPECT_EQ(parse("F= W=5").startLog, "");  // an empty value still replaces the default
  c = parse("f2=pfx.dat f3=w.cfm f4=g.squ f6=/tmp/rig.out w=5");
  EXPECT_EQ(c.countryFileName, "PFX.DAT");
  EXPECT_EQ(c.workedFileName, "W.CFM");
  EXPECT_EQ(c.gridFileName, "G.SQU");
  EXPECT_EQ(c.transferFileName, "/TMP/RIG.OUT");
  EXPECT_EQ(c.defaultPower, "5");
  EXPECT_EQ(parse("P=2").startLog, "LOGMAIN.DAT");
}

TEST(CommandLine, KeysAreFoundInsideLongerWords) {
  // "XF=B" holds "F=": the search is plain.
  EXPECT_EQ(parse("XF=B").startLog, "B");
  Config c = parse("BM=anything AD=");
  EXPECT_TRUE(c.markBM);
  EXPECT_TRUE(c.markAS);
  EXPECT_TRUE(parse("BM=").markBM);
  EXPECT_EQ(parse("ROW43=").screenRows, 43);
  // Text after "=" of a flag key is searched like the rest of the line.
  EXPECT_EQ(parse("BM=W=7").defaultPower, "7");
}

TEST(CommandLine, TimeZoneRoundsHalfToEven) {
  EXPECT_EQ(parse("TZ=2.5").timeZoneHours, 2);
  EXPECT_EQ(parse("TZ=3.5").timeZoneHours, 4);
  EXPECT_EQ(parse("TZ=X").timeZoneHours, 0);
  EXPECT_EQ(parse("TZ=-5").timeZoneHours, -5);
  EXPECT_EQ(parse("TZ=99999999999999999999").timeZoneHours, INT_MAX);
}

TEST(CommandLine, StationToLog) {
  Config c = parse("S=q1qq");
  EXPECT_FALSE(c.stationCall.empty());
  EXPECT_EQ(c.stationCall, "Q1QQ");
  EXPECT_EQ(c.stationText, "");

  c = parse("S=Q1QQ JOHN TZ=-5");
  EXPECT_EQ(c.stationCall, "Q1QQ");
  EXPECT_EQ(c.stationText, "JOHN");
  EXPECT_EQ(c.timeZoneHours, -5);

  c = parse("S=Q1QQ TZ=2");
  EXPECT_EQ(c.stationText, "");
  EXPECT_EQ(c.timeZoneHours, 2);

  // The comment keeps its last character.
  c = parse("S=Q1QQ NICE QSO");
  EXPECT_EQ(c.stationText, "NICE QSO");

  c = parse(std::string("S=\bW1AW"));
  EXPECT_EQ(c.stationCall, "W1AW");
  c = parse(std::string("S=\b"));
  EXPECT_TRUE(c.stationCall.empty());
  // Without a callsign the text is kept for a station from the drop file.
  c = parse("S= JOHN");
  EXPECT_TRUE(c.stationCall.empty());
  EXPECT_EQ(c.stationText, "JOHN");
}

TEST(StationSettings, SaveAndLoadRoundTrip) {
  TempDir dir;
  ScriptedTerminal t;
  Console con(t);
  Logbook lb(con);
  auto values = lb.settings.values();
  for (size_t i = 0; i < values.size(); ++i) *values[i] = "V" + std::to_string(i) + ", with comma";
  lb.settings.state.clear();
  saveStationSettings(lb);
  std::string bytes = readFile("KIVOLOG.INI");
  EXPECT_EQ(bytes.substr(0, 19), "\"V0, with comma\"\r\n\"");
  StationSettings saved = lb.settings;
  lb.settings = StationSettings{};
  loadStationSettings(lb);
  EXPECT_EQ(lb.settings, saved);
}

TEST(StationSettings, ShortOrMissingFileLeavesTheRestEmpty) {
  TempDir dir;
  ScriptedTerminal t;
  Console con(t);
  Logbook lb(con);
  lb.settings.county = "stale";
  loadStationSettings(lb);
  EXPECT_EQ(lb.settings, StationSettings{});
  EXPECT_FALSE(exists("KIVOLOG.INI"));
  writeFile("KIVOLOG.INI", "\"N0CALL\"\r\nNA\n  5  \n");
  loadStationSettings(lb);
  EXPECT_EQ(lb.settings.operatorCall, "N0CALL");
  EXPECT_EQ(lb.settings.continent, "NA");
  EXPECT_EQ(lb.settings.cqZone, "5");
  EXPECT_EQ(lb.settings.ituZone, "");
  EXPECT_EQ(lb.settings.altCounty, "");
  // A quoted value runs to the next double quote, across a line end.
  writeFile("KIVOLOG.INI", "\"TWO\r\nLINES\" skipped, \"NA\"\r\n14\r\n");
  loadStationSettings(lb);
  EXPECT_EQ(lb.settings.operatorCall, "TWO\r\nLINES");
  EXPECT_EQ(lb.settings.continent, "NA");
  EXPECT_EQ(lb.settings.cqZone, "14");
}

TEST(Startup, NoCommandLineShowsTheFrameAndLeavesOnEsc) {
  TempDir dir;
  writeTables();
  LogbookRun run("");
  run.terminal.key(keys::kEsc);
  run.go();
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(exists("LOGMAIN.DAT"));
  EXPECT_EQ(readFile("LOGMAIN.DAT"), "");
  EXPECT_FALSE(exists("KIVOLOG.RUN"));
  EXPECT_FALSE(exists("KIVOLOG.INI"));
  // The screen is cleared white on black.
  const Screen& s = run.console.screen();
  EXPECT_EQ(s.rowText(1), std::string(80, ' '));
  EXPECT_EQ(s.cellAt(1, 1).fg, 7);
  EXPECT_EQ(s.cellAt(1, 1).bg, 0);
  EXPECT_EQ(run.lb.grid->lines.size(), 1u);
  EXPECT_EQ(run.lb.countries->entries.size(), 2u);
}

TEST(Startup, FrameWhileRunningAndTheRunMarker) {
  TempDir dir;
  writeTables();
  writeFile("LOG.DAT", std::string(144 * 3, '\0'));
  LogbookRun run("f=log.dat");
  EXPECT_THROW(run.go(), ScriptEnded);  // still waiting for a key
  EXPECT_EQ(readFile("KIVOLOG.RUN"), "RUN\r\n");
  const Screen& s = run.console.screen();
  EXPECT_NE(s.textAt(1, 1, 39).find("V2.13"), std::string::npos);
  EXPECT_EQ(s.textAt(1, 41, 54), "File = LOG.DAT");
  EXPECT_EQ(s.textAt(1, 65, 74), "Record = 4");
  EXPECT_EQ(s.rowText(2), "  DATE     FREQ    MODE PWR  TIME  STATION WORKED  SN  RD  TOFF  COUNTRY     SR ");
  EXPECT_EQ(s.cellAt(2, 3).fg, 14);
  EXPECT_EQ(s.textAt(3, 24, 66), "  PGUP  PGDN  HOME  END  REAL  UPDATE  EXIT");
  EXPECT_EQ(s.wordAt(3, 27), "PGUP");
  EXPECT_EQ(s.wordAt(3, 63), "EXIT");
  EXPECT_EQ(s.cellAt(3, 26).fg, 10);
  EXPECT_EQ(s.textAt(3, 70, 77), "        ");
  EXPECT_EQ(s.textAt(25, 1, 49), "F1=Search F2=Befr F4=Print F5=Reports F6=NewFile ");
  EXPECT_EQ(s.cellAt(25, 1).fg, 14);
  EXPECT_EQ(s.cellAt(25, 1).bg, 1);
}

TEST(Startup, Row43AsksForATallerConsole) {
  TempDir dir;
  writeTables();
  LogbookRun run("ROW43=");
  run.terminal.key(keys::kEsc);
  run.go();
  EXPECT_EQ(run.terminal.resizes(), 1);
  EXPECT_EQ(run.console.screen().rows(), 43);
}

TEST(Startup, MissingTablesEndTheRunBeforeAnythingIsWritten) {
  TempDir dir;
  writeFile("GRID.SQU", "");
  LogbookRun run("");
  try {
    run.go();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 2);
  }
  EXPECT_FALSE(exists("LOGMAIN.DAT"));
  EXPECT_FALSE(exists("KIVOLOG.RUN"));

  std::filesystem::remove("GRID.SQU");
  writeTables();
  std::filesystem::remove("GRID.SQU");
  LogbookRun run2("");
  EXPECT_THROW(run2.go(), RuntimeError);
  EXPECT_FALSE(exists("LOGMAIN.DAT"));
}

TEST(Startup, LowerCaseFilesAreFoundFromUpperCaseNames) {
  TempDir dir;
  writeFile("country.dat", "h\r\nh\r\nK    X    USA\r\n");
  writeFile("grid.squ", "");
  writeFile("mylog.dat", "");
  LogbookRun run("f=mylog.dat");
  run.terminal.key(keys::kEsc);
  run.go();
  EXPECT_EQ(run.status, 0);
  EXPECT_FALSE(exists("MYLOG.DAT"));
  EXPECT_EQ(run.lb.countries->entries.size(), 1u);
}

TEST(Startup, AnEarlierRunMarkerIsReplaced) {
  TempDir dir;
  writeTables();
  writeFile("KIVOLOG.RUN", "stale stuff that is longer\r\n");
  LogbookRun run("");
  EXPECT_THROW(run.go(), ScriptEnded);
  EXPECT_EQ(readFile("KIVOLOG.RUN"), "RUN\r\n");
}

}  // namespace kivo
