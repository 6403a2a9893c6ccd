#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "common/console.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/worked_update.h"
#include "logbook/logbook.h"
#include "logbook/records/log_record.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_terminal.h"
#include "tests/support/temp_dir.h"
#include "tools/mktables/mktables.h"

// The tables built from the country file that Debian's hamradio-files package ships,
// and the demo station that was generated from it.

namespace kivo {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

constexpr const char* kPackagedCty = "/usr/share/hamradio-files/cty.csv";

std::string trimmedName(std::string_view line) {
  std::string name(entityNameOf(line));
  name.erase(name.find_last_not_of(' ') + 1);
  return name;
}

// The entity lines of a worked table, current ones apart from the deleted ones.
struct WorkedLines {
  std::vector<std::string> current, deleted, other;
};
WorkedLines workedLines(const std::string& bytes) {
  WorkedLines out;
  bool inDeleted = false;
  for (const std::string& line : splitLines(bytes)) {
    if (opensDeletedSection(line)) inDeleted = true;
    if (isEntityLine(line))
      (inDeleted ? out.deleted : out.current).push_back(line);
    else
      out.other.push_back(line);
  }
  return out;
}

// Whole files differ: say where, rather than print both.
std::string firstDifference(const std::string& a, const std::string& b) {
  if (a == b) return {};
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at byte " +
         std::to_string(at) + ": \"" + a.substr(at, 40) + "\" against \"" + b.substr(at, 40) + "\"";
}

std::string headingVersion(const std::string& countryDat) {
  std::string first = countryDat.substr(0, countryDat.find('\r'));
  size_t at = first.find("VERSION ");
  return at == std::string::npos ? std::string() : first.substr(at + 8, first.find(' ', at + 8) - at - 8);
}

class PackagedCountryFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fileExists(kPackagedCty)) return;
    TempDir dir;
    std::ostringstream out, err;
    status_ = runMktables({kPackagedCty, "WORKED.CFM"}, out, err);
    report_ = out.str() + err.str();
    country_ = readFile("COUNTRY.DAT");
    worked_ = readFile("WORKED.CFM");
  }
  void SetUp() override {
    if (!fileExists(kPackagedCty)) GTEST_SKIP() << kPackagedCty << " is missing: apt-get install hamradio-files";
    ASSERT_EQ(status_, 0) << report_;
  }
  static int status_;
  static std::string report_, country_, worked_;
};
int PackagedCountryFile::status_ = -1;
std::string PackagedCountryFile::report_, PackagedCountryFile::country_, PackagedCountryFile::worked_;

TEST_F(PackagedCountryFile, EveryEntityOfThePrefixTableHasOneWorkedLine) {
  std::vector<std::string> lines = splitLines(country_);
  ASSERT_GT(lines.size(), 2u);
  std::map<std::string, int> lineCount;
  WorkedLines w = workedLines(worked_);
  for (const std::string& line : w.current) ++lineCount[trimmedName(line)];
  for (size_t i = 2; i < lines.size(); ++i) {
    std::string name = lines[i].substr(11);
    ASSERT_LE(name.size(), kEntityNameWidth) << lines[i];
    ASSERT_EQ(lineCount[name], 1) << name;
  }
  std::map<std::string, int> deletedCount;
  for (const std::string& line : w.deleted)
    EXPECT_EQ(++deletedCount[trimmedName(line)] + lineCount[trimmedName(line)], 1);
  // Every line that is not a heading, the DELETED line or END names an entity and is
  // long enough to be read as one; no heading is.
  for (const std::string& line : w.other) EXPECT_LT(line.size(), kEntityLineLength) << line;
  EXPECT_EQ(w.other.size(), 15u);  // 3 title lines, 10 caption rows, DELETED and END
  for (const std::string& line : w.current) EXPECT_GE(line.size(), kEntityLineLength);
}

// Calls chosen so that none is one of the exact calls that the table leaves out: for
// each, the longest prefix of the country file that begins it names the entity.
TEST_F(PackagedCountryFile, RealWorldCallsGiveTheEntityTheFileMeans) {
  CountryTable table = parseCountryTable(splitLines(country_));
  // Three calls a row.
  // clang-format off
  const std::vector<std::pair<const char*, const char*>> calls = {
      // North and South America, the USA and its territories.
      {"W1AW", "USA"}, {"K1ABC", "USA"}, {"N2XYZ", "USA"},
      {"AA1AA", "USA"}, {"AK7ZZ", "USA"}, {"KG4AB", "GUANTANAMO B"},
      {"KH6ABC", "HAWAII"}, {"AH6Q", "HAWAII"}, {"NH7QZ", "HAWAII"},
      {"WH6XYZ", "HAWAII"}, {"KL7ABC", "ALASKA"}, {"AL7RX", "ALASKA"},
      {"NL7Z", "ALASKA"}, {"WL7XX", "ALASKA"}, {"KP4ABC", "PUERTO RICO"},
      {"NP3A", "PUERTO RICO"}, {"WP4XYZ", "PUERTO RICO"}, {"KP2A", "US VIRGIN IS"},
      {"NP2XY", "US VIRGIN IS"}, {"KH2XX", "GUAM"}, {"KH0AB", "MARIANA IS"},
      {"KH8QZ", "AMER. SAMOA"}, {"KP1AB", "NAVASSA"}, {"KP5AB", "DESECHEO"},
      {"KH9AB", "WAKE IS"}, {"KH4QZ", "MIDWAY"}, {"KH7KA", "KURE IS"},
      {"VE3ABC", "CANADA"}, {"VA7XY", "CANADA"}, {"VO1AA", "CANADA"},
      {"VY2ZM", "CANADA"}, {"XE1ABC", "MEXICO"}, {"XF4A", "REVILLAGIGED"},
      {"PY2AB", "BRAZIL"}, {"PU2ABC", "BRAZIL"}, {"PY0FF", "F DE NORONHA"},
      {"PY0TA", "TRINDADE"}, {"LU1ABC", "ARGENTINA"}, {"CE3ABC", "CHILE"},
      {"CE0YAB", "EASTER IS"}, {"CE0ZA", "JUAN FERNAND"}, {"CX1AA", "URUGUAY"},
      {"HK3AA", "COLOMBIA"}, {"HC1AB", "ECUADOR"}, {"HC8AB", "GALAPAGOS"},
      {"OA4AB", "PERU"}, {"YV5AB", "VENEZUELA"}, {"ZP5AB", "PARAGUAY"},
      {"CP1AB", "BOLIVIA"}, {"PZ1AB", "SURINAME"}, {"8R1AB", "GUYANA"},
      {"FY5AB", "FR. GUIANA"}, {"VP8AB", "FALKLAND IS"}, {"CO2AB", "CUBA"},
      {"CM2AB", "CUBA"}, {"HI8AB", "DOMINICAN RP"}, {"HH2AB", "HAITI"},
      {"6Y5AB", "JAMAICA"}, {"FG5AB", "GUADELOUPE"}, {"FM5AB", "MARTINIQUE"},
      {"PJ2AB", "CURACAO"}, {"PJ4AB", "BONAIRE"}, {"PJ7AB", "ST. MAARTEN"},
      {"PJ5AB", "SABA & ST. E"}, {"P40AB", "ARUBA"}, {"8P6AB", "BARBADOS"},
      {"9Y4AB", "TRINIDAD"}, {"J37AB", "GRENADA"}, {"J68AB", "ST. LUCIA"},
      {"V47AB", "ST. KITTS"}, {"VP2EA", "ANGUILLA"}, {"VP5AB", "TURKS CAICOS"},
      {"VP9AB", "BERMUDA"}, {"ZF1AB", "CAYMAN IS"}, {"C6AAB", "BAHAMAS"},
      {"TI2AB", "COSTA RICA"}, {"TG9AB", "GUATEMALA"}, {"HP1AB", "PANAMA"},
      // Europe.
      {"DL1ABC", "GERMANY"}, {"DK0ZZ", "GERMANY"}, {"DO1XX", "GERMANY"},
      {"G4ABC", "ENGLAND"}, {"M0ABC", "ENGLAND"}, {"2E0ABC", "ENGLAND"},
      {"GM3ABC", "SCOTLAND"}, {"MM0XYZ", "SCOTLAND"}, {"GW4ABC", "WALES"},
      {"MW0ABC", "WALES"}, {"GI0ABC", "NORTHERN IRE"}, {"GD4ABC", "ISLE OF MAN"},
      {"GJ3ABC", "JERSEY"}, {"GU4ABC", "GUERNSEY"}, {"EI5ABC", "IRELAND"},
      {"F5ABC", "FRANCE"}, {"TK5AB", "CORSICA"}, {"EA3ABC", "SPAIN"},
      {"EA6XX", "BALEARIC IS"}, {"EA8ABC", "CANARY IS"}, {"EC8ABC", "CANARY IS"},
      {"EA9AB", "CEUTA & MELI"}, {"CT1ABC", "PORTUGAL"}, {"CT3AB", "MADEIRA"},
      {"CU2AB", "AZORES"}, {"I2ABC", "ITALY"}, {"IK2ABC", "ITALY"},
      {"IT9ABC", "ITALY"}, {"IS0ABC", "SARDINIA"}, {"IM0ABC", "SARDINIA"},
      {"HB9ABC", "SWITZERLAND"}, {"HB0AB", "LIECHTENSTN"}, {"OE1ABC", "AUSTRIA"},
      {"OK1ABC", "CZECH REP"}, {"OM3AB", "SLOVAKIA"}, {"SP5ABC", "POLAND"},
      {"HA5AB", "HUNGARY"}, {"YO3AB", "ROMANIA"}, {"LZ1AB", "BULGARIA"},
      {"SV1ABC", "GREECE"}, {"SV9ABC", "CRETE"}, {"SV5AB", "DODECANESE"},
      {"9H1AB", "MALTA"}, {"ON4ABC", "BELGIUM"}, {"PA3ABC", "NETHERLANDS"},
      {"LX1AB", "LUXEMBOURG"}, {"OZ1ABC", "DENMARK"}, {"OY1AB", "FAROE IS"},
      {"SM5ABC", "SWEDEN"}, {"LA1ABC", "NORWAY"}, {"JW5AB", "SVALBARD"},
      {"JX9AB", "JAN MAYEN"}, {"OH2ABC", "FINLAND"}, {"OH0AB", "ALAND IS"},
      {"OJ0AB", "MARKET REEF"}, {"ES1AB", "ESTONIA"}, {"YL2AB", "LATVIA"},
      {"LY2AB", "LITHUANIA"}, {"UA3ABC", "EUROPEAN RUS"}, {"UA1ABC", "EUROPEAN RUS"},
      {"RA3ABC", "EUROPEAN RUS"}, {"R3ABC", "EUROPEAN RUS"}, {"UA2FAA", "KALININGRAD"},
      {"UR5ABC", "UKRAINE"}, {"EU1AB", "BELARUS"}, {"ER1AB", "MOLDOVA"},
      {"YU1AB", "SERBIA"}, {"4O3A", "MONTENEGRO"}, {"Z35AB", "N MACEDONIA"},
      {"E74AB", "BOSNIA"}, {"9A1AB", "CROATIA"}, {"S51AB", "SLOVENIA"},
      {"ZA1AB", "ALBANIA"}, {"Z61AB", "KOSOVO"}, {"T77AB", "SAN MARINO"},
      {"HV0A", "VATICAN"}, {"1A0KM", "SMOM"}, {"3A2AB", "MONACO"},
      {"C31AB", "ANDORRA"}, {"ZB2AB", "GIBRALTAR"}, {"TF3AB", "ICELAND"},
      {"OX3AB", "GREENLAND"}, {"TA2AB", "TURKEY"}, {"TA1AB", "TURKEY"},
      {"5B4AB", "CYPRUS"}, {"ZC4AB", "UK SOV BASES"},
      // Asia, Asiatic Russia included.
      {"UA9ABC", "ASIATIC RUSS"}, {"UA0ABC", "ASIATIC RUSS"}, {"RA9ABC", "ASIATIC RUSS"},
      {"RK0AB", "ASIATIC RUSS"}, {"R9ABC", "ASIATIC RUSS"}, {"UN7AB", "KAZAKHSTAN"},
      {"EX8AB", "KYRGYZSTAN"}, {"EY8AB", "TAJIKISTAN"}, {"EZ8AB", "TURKMENISTAN"},
      {"UK8AB", "UZBEKISTAN"}, {"4L1AB", "GEORGIA"}, {"EK6AB", "ARMENIA"},
      {"4K6AB", "AZERBAIJAN"}, {"JA1ABC", "JAPAN"}, {"JH1ABC", "JAPAN"},
      {"7K1ABC", "JAPAN"}, {"JD1ABC", "OGASAWARA"}, {"HL1ABC", "SOUTH KOREA"},
      {"BY1AB", "CHINA"}, {"BV2AB", "TAIWAN"}, {"BV9PA", "PRATAS"},
      {"VR2AB", "HONG KONG"}, {"XX9AB", "MACAO"}, {"DU1AB", "PHILIPPINES"},
      {"HS0AB", "THAILAND"}, {"XV2AB", "VIETNAM"}, {"3W2AB", "VIETNAM"},
      {"XU7AB", "CAMBODIA"}, {"XW8AB", "LAOS"}, {"XZ1AB", "MYANMAR"},
      {"9M2AB", "W MALAYSIA"}, {"9M6AB", "E MALAYSIA"}, {"9V1AB", "SINGAPORE"},
      {"V85AB", "BRUNEI"}, {"YB1AB", "INDONESIA"}, {"VU2ABC", "INDIA"},
      {"VU4AB", "ANDAMAN IS"}, {"VU7AB", "LAKSHADWEEP"}, {"4S7AB", "SRI LANKA"},
      {"8Q7AB", "MALDIVES"}, {"9N1AB", "NEPAL"}, {"A52AB", "BHUTAN"},
      {"S21AB", "BANGLADESH"}, {"AP2AB", "PAKISTAN"}, {"YA1AB", "AFGHANISTAN"},
      {"EP2AB", "IRAN"}, {"YI1AB", "IRAQ"}, {"4X1AB", "ISRAEL"},
      {"4Z5AB", "ISRAEL"}, {"JY1AB", "JORDAN"}, {"OD5AB", "LEBANON"},
      {"YK1AB", "SYRIA"}, {"HZ1AB", "SAUDI ARABIA"}, {"A45AB", "OMAN"},
      {"A61AB", "UAE"}, {"A71AB", "QATAR"}, {"A92AB", "BAHRAIN"},
      {"9K2AB", "KUWAIT"}, {"7O1AB", "YEMEN"}, {"E44AB", "PALESTINE"},
      {"JT1AB", "MONGOLIA"}, {"P51AB", "NORTH KOREA"},
      // Africa.
      {"ZS6ABC", "SOUTH AFRICA"}, {"ZS8AB", "PR EDWARD IS"}, {"V51AB", "NAMIBIA"},
      {"A22AB", "BOTSWANA"}, {"7P8AB", "LESOTHO"}, {"3DA0AB", "ESWATINI"},
      {"Z21AB", "ZIMBABWE"}, {"9J2AB", "ZAMBIA"}, {"7Q7AB", "MALAWI"},
      {"C91AB", "MOZAMBIQUE"}, {"5R8AB", "MADAGASCAR"}, {"FR5AB", "REUNION"},
      {"3B8AB", "MAURITIUS"}, {"3B9AB", "RODRIGUEZ"}, {"S79AB", "SEYCHELLES"},
      {"D60AB", "COMOROS"}, {"FH4AB", "MAYOTTE"}, {"5H3AB", "TANZANIA"},
      {"5Z4AB", "KENYA"}, {"5X1AB", "UGANDA"}, {"9X5AB", "RWANDA"},
      {"9U4AB", "BURUNDI"}, {"ET3AB", "ETHIOPIA"}, {"E31AB", "ERITREA"},
      {"J28AB", "DJIBOUTI"}, {"T5AB", "SOMALIA"}, {"ST2AB", "SUDAN"},
      {"Z81AB", "SOUTH SUDAN"}, {"SU1AB", "EGYPT"}, {"5A1AB", "LIBYA"},
      {"3V8AB", "TUNISIA"}, {"7X2AB", "ALGERIA"}, {"CN8AB", "MOROCCO"},
      {"S01AB", "W SAHARA"}, {"5T5AB", "MAURITANIA"}, {"6W1AB", "SENEGAL"},
      {"C56AB", "GAMBIA"}, {"J52AB", "GUINEA-BISS"}, {"3XY1A", "GUINEA"},
      {"9L1AB", "SIERRA LEONE"}, {"EL2AB", "LIBERIA"}, {"TU2AB", "IVORY COAST"},
      {"9G1AB", "GHANA"}, {"5V7AB", "TOGO"}, {"TY1AB", "BENIN"},
      {"5N7AB", "NIGERIA"}, {"5U7AB", "NIGER"}, {"TZ6AB", "MALI"},
      {"XT2AB", "BURKINA FASO"}, {"TJ3AB", "CAMEROON"}, {"TL8AB", "CENT AFR REP"},
      {"TT8AB", "CHAD"}, {"TR8AB", "GABON"}, {"TN5AB", "CONGO"},
      {"9Q5AB", "DR CONGO"}, {"D2AB", "ANGOLA"}, {"3C1AB", "EQUAT GUINEA"},
      {"3C0AB", "ANNOBON"}, {"S92AB", "SAO TOME"}, {"D44AB", "CAPE VERDE"},
      {"ZD7AB", "ST. HELENA"}, {"ZD8AB", "ASCENSION"}, {"ZD9AB", "TRISTAN"},
      // Oceania, Antarctica, and the entities listed by exact calls only.
      {"VK2ABC", "AUSTRALIA"}, {"VK9NA", "NORFOLK IS"}, {"VK9LA", "LORD HOWE IS"},
      {"VK9XA", "CHRISTMAS IS"}, {"VK9CA", "KEELING IS"}, {"VK9WA", "WILLIS IS"},
      {"VK9MA", "MELLISH REEF"}, {"ZL1ABC", "NEW ZEALAND"}, {"ZL7AB", "CHATHAM IS"},
      {"ZL8AB", "KERMADEC"}, {"ZL9AB", "NZ SUBANTARC"}, {"P29AB", "PAPUA N.G."},
      {"H44AB", "SOLOMON IS"}, {"H40AB", "TEMOTU"}, {"YJ0AB", "VANUATU"},
      {"FK8AB", "N. CALEDONIA"}, {"3D2AB", "FIJI"}, {"A35AB", "TONGA"},
      {"5W1AB", "SAMOA"}, {"E6AB", "NIUE"}, {"ZK3AB", "TOKELAU"},
      {"T2AB", "TUVALU"}, {"T30AB", "W KIRIBATI"}, {"T31AB", "C KIRIBATI"},
      {"T32AB", "E KIRIBATI"}, {"T33AB", "BANABA"}, {"C21AB", "NAURU"},
      {"V73AB", "MARSHALL IS"}, {"V63AB", "MICRONESIA"}, {"T88AB", "PALAU"},
      {"FO5AB", "FR POLYNESIA"}, {"FW5AB", "WALLIS & FUT"}, {"VP6AB", "PITCAIRN"},
      {"4W6AB", "TIMOR-LESTE"}, {"VK0ABC", "ANTARCTICA"}, {"VK0HXX", "ANTARCTICA"},
      {"4U1UN", "UNITED NATIO"}, {"4U1ITU", "ITU HQ"}, {"4U1VIC", "AUSTRIA"}, {"BS7H", "SCARBOROUGH"},
      {"VK0MQ", "MACQUARIE IS"},
      // Portable forms: a foreign prefix before or after the slash, /P and /M.
      {"DL/K1ABC", "GERMANY"}, {"K1ABC/DL", "GERMANY"}, {"K1ABC/P", "USA"},
      {"DL1ABC/P", "GERMANY"}, {"G4ABC/M", "ENGLAND"}, {"K1ABC/KH6", "HAWAII"},
      {"KH6/K1ABC", "HAWAII"}, {"K1ABC/KL7", "ALASKA"}, {"W1AW/KP4", "PUERTO RICO"},
      {"KP4/W1AW", "PUERTO RICO"}, {"K1ABC/VE3", "CANADA"}, {"VE3ABC/W1", "USA"},
      {"EA8/DL1ABC", "CANARY IS"}, {"DL1ABC/EA8", "CANARY IS"}, {"F/G4ABC", "FRANCE"},
      {"DL/K1ABC/P", "GERMANY"}, {"K1ABC/DL/P", "GERMANY"}, {"UA9ABC/P", "ASIATIC RUSS"},
      {"UA3ABC/P", "EUROPEAN RUS"}, {"RA9ABC/M", "ASIATIC RUSS"}, {"UA0ABC/UA3", "EUROPEAN RUS"},
      {"UA3ABC/UA9", "ASIATIC RUSS"}, {"9A/DL1ABC", "CROATIA"}, {"HB0/DL1ABC", "LIECHTENSTN"},
      {"PJ4/K1ABC", "BONAIRE"}, {"ZF2AB/W1", "USA"}, {"VP9/K1ABC", "BERMUDA"},
      {"FG/F5ABC", "GUADELOUPE"}, {"TK/F5ABC", "CORSICA"}, {"SV9/DL1ABC", "CRETE"},
      {"OH0/DL1ABC", "ALAND IS"},
  };
  // clang-format on
  ASSERT_GE(calls.size(), 150u);
  for (const auto& [call, name] : calls) EXPECT_EQ(lookupEntity(table, call), name) << call;
}

// ---- the demo station ----

std::string demoFile(const char* name) { return readFile(testing::sourceDir() + "/data/demo/" + name); }

// The demo keeps the tables of the version it was generated from; when the package
// is of that same version, generating again must give the same bytes.
TEST_F(PackagedCountryFile, TheDemoTablesAreTheGeneratedOnes) {
  std::string demoCountry = demoFile("COUNTRY.DAT");
  if (headingVersion(demoCountry) != headingVersion(country_)) {
    GTEST_SKIP() << "the demo was made from version " << headingVersion(demoCountry) << ", the package is "
                 << headingVersion(country_);
  }
  EXPECT_EQ(firstDifference(demoCountry, country_), "");
  // The demo's marks are those of its log (below); without them it is the new table.
  std::string unmarked = demoFile("WORKED.CFM");
  for (size_t start = 0; start < unmarked.size();) {
    size_t end = unmarked.find("\r\n", start);
    if (end - start >= kEntityLineLength)
      for (int k = 1; k <= kCategoryCount; ++k) unmarked[start + static_cast<size_t>(markColumn(k) - 1)] = ' ';
    start = end + 2;
  }
  EXPECT_EQ(firstDifference(unmarked, worked_), "");
}

std::vector<LogRecord> demoLog() {
  std::string bytes = demoFile("LOGMAIN.DAT");
  EXPECT_EQ(bytes.size() % kRecordSize, 0u);
  std::vector<LogRecord> records(bytes.size() / kRecordSize);
  for (size_t i = 0; i < records.size(); ++i)
    std::copy_n(bytes.begin() + static_cast<long>(i * kRecordSize), kRecordSize, records[i].bytes.begin());
  return records;
}

TEST(DemoStation, TheLogAgreesWithItsTables) {
  CountryTable table = loadCountryTable(testing::sourceDir() + "/data/demo/COUNTRY.DAT");
  std::vector<LogRecord> log = demoLog();
  ASSERT_GE(log.size(), 10u);
  for (const LogRecord& r : log) {
    std::string station = r.get(Field::STATION);
    SCOPED_TRACE(station);
    LogRecord rebuilt = r;
    rebuilt.setSeparators();
    EXPECT_EQ(rebuilt, r);  // separators, terminators and CR LF in place
    for (const FieldInfo& f : kFields)
      for (char c : r.get(f.field)) EXPECT_TRUE(c >= ' ' && c <= 'Z') << f.name;
    EXPECT_EQ(r.get(Field::COUNTRY), fitWidth(lookupEntity(table, station.substr(0, station.find(' '))), 12));
    EXPECT_EQ(r.get(Field::COUNTRY).find('?'), std::string::npos);
  }

  // The marks of the demo's worked table are exactly what the logbook sets for its log.
  std::string worked = demoFile("WORKED.CFM");
  std::string blank = worked;
  for (size_t start = 0; start < blank.size();) {
    size_t end = blank.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    if (end - start >= kEntityLineLength)
      for (int k = 1; k <= kCategoryCount; ++k) blank[start + static_cast<size_t>(markColumn(k) - 1)] = ' ';
    start = end + 2;
  }
  ASSERT_NE(blank, worked);
  TempDir dir;
  writeFile("WORKED.CFM", blank);
  writeFile("GRID.SQU", demoFile("GRID.SQU"));
  ScriptedTerminal terminal;
  Console console(terminal);
  Logbook lb(console);
  for (const LogRecord& r : log) {
    lb.record = r;
    updateWorkedTables(lb);
  }
  EXPECT_EQ(firstDifference(readFile("WORKED.CFM"), worked), "");
  EXPECT_EQ(readFile("GRID.SQU"), "");
}

TEST(DemoStation, AwardSumCountsEveryEntityOfTheTable) {
  WorkedLines w = workedLines(demoFile("WORKED.CFM"));
  TempDir dir;
  writeFile("WORKED.CFM", demoFile("WORKED.CFM"));
  writeFile("GRID.SQU", demoFile("GRID.SQU"));
  ScriptedTerminal terminal;
  Console console(terminal);
  terminal.key("q");
  EXPECT_EQ(runAwardSum(console, {}), 0);
  long long all = static_cast<long long>(w.current.size() + w.deleted.size());
  long long current = static_cast<long long>(w.current.size());
  std::string row = "TOTAL ARRL DXCC COUNTRIES  " + basicNumber(all) + "/" + basicNumber(current);
  EXPECT_EQ(console.screen().rowText(23), fitWidth(row, 80));
  EXPECT_EQ(current, 340);  // the DXCC list of the demo's country file
  EXPECT_GT(w.deleted.size(), 50u);
}

}  // namespace
}  // namespace kivo
