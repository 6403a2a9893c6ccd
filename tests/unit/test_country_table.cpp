#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "logbook/entities/country_table.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace kivo {
namespace {

// A table from entry lines, behind the two headings every file starts with.
CountryTable tableOf(std::vector<std::string> entryLines) {
  entryLines.insert(entryLines.begin(), {"PFX  KIND  ENTITY", "---"});
  return parseCountryTable(entryLines);
}

// One entry line in the file's columns.
std::string entry(const std::string& prefix, const std::string& kind, const std::string& name) {
  std::string line = prefix;
  line.resize(4, ' ');
  line += ' ' + kind;
  line.resize(11, ' ');
  return line + name;
}

TEST(CountryTableLoad, ReadsFieldsByColumn) {
  CountryTable t = tableOf({"KH6  %XYZ  HAWAII AND MORE TEXT", "K1234ABCDEFGHIJKLMNOPQRSTUV"});
  ASSERT_EQ(t.entries.size(), 2u);
  EXPECT_EQ(t.entries[0].prefix, "KH6 ");
  EXPECT_EQ(t.entries[0].kind, "%XYZ");
  EXPECT_EQ(t.entries[0].entityName, "HAWAII AND M");  // cut at column 23
  // Column 5 and columns 10-11 belong to no field.
  EXPECT_EQ(t.entries[1].prefix, "K123");
  EXPECT_EQ(t.entries[1].kind, "ABCD");
  EXPECT_EQ(t.entries[1].entityName, "GHIJKLMNOPQR");
}

TEST(CountryTableLoad, ShortLinesGiveWhatIsThere) {
  CountryTable t = tableOf({"", "KH", "KH6  ?", "KH6  ?   X", "KH6  ?   XY", "KH6  ?   XYZ"});
  ASSERT_EQ(t.entries.size(), 6u);
  EXPECT_EQ(t.entries[0].prefix, "");
  EXPECT_EQ(t.entries[0].kind, "");
  EXPECT_EQ(t.entries[1].prefix, "KH");
  EXPECT_EQ(t.entries[1].kind, "");
  EXPECT_EQ(t.entries[2].kind, "?");
  EXPECT_EQ(t.entries[3].kind, "?   ");
  EXPECT_EQ(t.entries[3].entityName, "");
  EXPECT_EQ(t.entries[4].entityName, "");  // 11 characters: no name yet
  EXPECT_EQ(t.entries[5].entityName, "Z");
}

TEST(CountryTableLoad, HeadingsAreSkippedWhateverTheyHold) {
  EXPECT_TRUE(parseCountryTable({}).entries.empty());
  EXPECT_TRUE(parseCountryTable({entry("K", "", "USA")}).entries.empty());
  CountryTable t = parseCountryTable({entry("K", "", "USA"), entry("W", "", "USA"), entry("DL", "", "GERMANY")});
  ASSERT_EQ(t.entries.size(), 1u);
  EXPECT_EQ(t.entries[0].entityName, "GERMANY");
  EXPECT_EQ(lookupEntity(t, "K1ABC"), "?");
}

TEST(CountryTableLoad, CrLfAndLfFilesGiveTheSameTable) {
  testing::TempDir dir;
  testing::writeFile("CRLF.DAT", "HEAD\r\nHEAD\r\nKH6        HAWAII\r\nK          USA\r\n");
  testing::writeFile("LF.DAT", "HEAD\nHEAD\nKH6        HAWAII\nK          USA");
  for (const char* name : {"CRLF.DAT", "LF.DAT"}) {
    SCOPED_TRACE(name);
    CountryTable t = loadCountryTable(name);
    ASSERT_EQ(t.entries.size(), 2u);  // the last line counts without its line end
    EXPECT_EQ(t.entries[0].entityName, "HAWAII");
    EXPECT_EQ(t.entries[1].entityName, "USA");  // no CR left behind
    EXPECT_EQ(lookupEntity(t, "KH6XX"), "HAWAII");
  }
}

TEST(CountryTableLoad, HoldsEveryLineOfALargeFile) {
  std::vector<std::string> lines;
  lines.reserve(2501);
  for (int i = 0; i < 2500; ++i) lines.push_back(entry("Q" + std::to_string(i % 1000), "", "N" + std::to_string(i)));
  lines.push_back(entry("K", "", "USA"));
  CountryTable t = tableOf(lines);
  EXPECT_EQ(t.entries.size(), 2501u);
  EXPECT_EQ(lookupEntity(t, "K1ABC"), "USA");
}

TEST(CountryTableLoad, MissingFileIsRuntimeError2) {
  testing::TempDir dir;
  try {
    loadCountryTable("NOSUCH.DAT");
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 2);
  }
}

TEST(CountryPrefixLength, CharactersBeforeTheFirstBlank) {
  EXPECT_EQ(prefixLength("K   "), 1);
  EXPECT_EQ(prefixLength("KH6 "), 3);
  EXPECT_EQ(prefixLength("4U1I"), 4);
  EXPECT_EQ(prefixLength("KH6"), 4);  // cut short by the line: no blank at all
  EXPECT_EQ(prefixLength(""), 4);
  EXPECT_EQ(prefixLength("    "), 0);
  EXPECT_EQ(prefixLength("A 6*"), 1);
}

TEST(CountryNormalize, ShorterPartComesFirst) {
  EXPECT_EQ(normalizeCallsign("K1ABC"), "K1ABC");
  EXPECT_EQ(normalizeCallsign("K1ABC/P"), "K1ABC/P");  // a designator stays behind
  EXPECT_EQ(normalizeCallsign("K1AB/QX"), "QX/K1AB");
  EXPECT_EQ(normalizeCallsign("QX/K1AB"), "QX/K1AB");
  EXPECT_EQ(normalizeCallsign("K1AB/DL1A"), "K1AB/DL1A");    // equal lengths: as typed
  EXPECT_EQ(normalizeCallsign("K1ABC/DL/P"), "DL/P/K1ABC");  // a second slash belongs to the part behind
  EXPECT_EQ(normalizeCallsign("DL/K1ABC/P"), "DL/K1ABC/P");
}

TEST(CountryNormalize, OddSlashesStayInRange) {
  EXPECT_EQ(normalizeCallsign(""), "");
  EXPECT_EQ(normalizeCallsign("/"), "/");
  EXPECT_EQ(normalizeCallsign("//"), "//");
  EXPECT_EQ(normalizeCallsign("/K1ABC"), "/K1ABC");
  EXPECT_EQ(normalizeCallsign("K1ABC/"), "/K1ABC");
  EXPECT_EQ(normalizeCallsign("K/"), "/K");
}

TEST(CountryLookup, FirstMatchingEntryWinsByFileOrder) {
  CountryTable specificFirst = tableOf({entry("KH6", "", "HAWAII"), entry("K", "", "USA")});
  EXPECT_EQ(lookupEntity(specificFirst, "KH6ABC"), "HAWAII");
  EXPECT_EQ(lookupEntity(specificFirst, "KH7ABC"), "USA");
  EXPECT_EQ(lookupEntity(specificFirst, "K1ABC"), "USA");
  CountryTable generalFirst = tableOf({entry("K", "", "USA"), entry("KH6", "", "HAWAII")});
  EXPECT_EQ(lookupEntity(generalFirst, "KH6ABC"), "USA");
}

TEST(CountryLookup, PatternAndCallsignMustBothBeLongEnough) {
  // "KH6" on a line of its own has no blank, so it would need four characters;
  // had it matched, its empty name would be the result.
  CountryTable t = tableOf({"KH6", "K", "", entry("KH6", "", "HAWAII")});
  EXPECT_EQ(lookupEntity(t, "KH6"), "HAWAII");
  EXPECT_EQ(lookupEntity(t, "KH6ABC"), "HAWAII");
  EXPECT_EQ(lookupEntity(t, "K"), "?");
  EXPECT_EQ(lookupEntity(t, "KH"), "?");
  EXPECT_EQ(lookupEntity(t, ""), "?");
  EXPECT_EQ(lookupEntity(tableOf({}), "K1ABC"), "?");
}

TEST(CountryLookup, PortableCallsAreLookedUpByTheShorterPart) {
  CountryTable t = tableOf({entry("QX", "", "QX LAND"), entry("K", "", "USA"), entry("DL", "", "GERMANY")});
  EXPECT_EQ(lookupEntity(t, "K1ABC/Q"), "USA");
  EXPECT_EQ(lookupEntity(t, "K1AB/QX"), "QX LAND");
  EXPECT_EQ(lookupEntity(t, "K1AB/DL1A"), "USA");
  EXPECT_EQ(lookupEntity(t, "DL1A/K1AB"), "GERMANY");
  EXPECT_EQ(lookupEntity(t, "K1ABC/"), "?");  // nothing behind the slash is taken as the prefix
}

TEST(CountryLookup, SuffixPatternNeedsTheDesignator) {
  CountryTable t = tableOf({entry("AB/C", "", "SUFFIX"), entry("ABC/", "", "NO DESIG"), entry("A", "", "PLAIN")});
  EXPECT_EQ(lookupEntity(t, "AB1XY/C"), "SUFFIX");
  EXPECT_EQ(lookupEntity(t, "AB1XY/D"), "PLAIN");
  EXPECT_EQ(lookupEntity(t, "AB1XY"), "PLAIN");
  EXPECT_EQ(lookupEntity(t, "AB/C"), "SUFFIX");
  EXPECT_EQ(lookupEntity(t, "A/C"), "PLAIN");  // the part before the slash must be whole
  // A pattern ending in its slash has no designator to compare, even where the
  // plain prefix would have matched.
  EXPECT_EQ(lookupEntity(t, "ABC/X"), "PLAIN");
}

TEST(CountryLookup, SuffixPatternUsesTheFirstSlashOfTheCall) {
  CountryTable t = tableOf({entry("/P", "", "ANY PORTABLE"), entry("AB/C", "", "SUFFIX")});
  EXPECT_EQ(lookupEntity(t, "K1ABC/P"), "ANY PORTABLE");
  EXPECT_EQ(lookupEntity(t, "AB1/D/CEF"), "?");
  EXPECT_EQ(lookupEntity(t, "AB1/C/DEF"), "SUFFIX");
}

TEST(CountryLookup, WildcardStandsForOneCharacter) {
  CountryTable t = tableOf({entry("A*6", "", "STAR"), entry("*B", "", "LEADING STAR")});
  EXPECT_EQ(lookupEntity(t, "AX6ZZ"), "STAR");
  EXPECT_EQ(lookupEntity(t, "A16ZZ"), "STAR");
  EXPECT_EQ(lookupEntity(t, "AX6"), "STAR");
  EXPECT_EQ(lookupEntity(t, "AX7ZZ"), "?");
  EXPECT_EQ(lookupEntity(t, "BX6ZZ"), "?");
  EXPECT_EQ(lookupEntity(t, "AX"), "?");  // too short for the position behind the star
  EXPECT_EQ(lookupEntity(t, "QB1A"), "LEADING STAR");
}

TEST(CountryLookup, WildcardOutsideThePatternNeverMatches) {
  // A star behind the first blank is no part of the pattern, and "A*6" cut short
  // by its line has no fourth character to compare.
  EXPECT_EQ(lookupEntity(tableOf({entry("A 6*", "", "BEHIND BLANK")}), "BX6Z"), "?");
  EXPECT_EQ(lookupEntity(tableOf({"A*6"}), "AX6Z"), "?");
  EXPECT_EQ(lookupEntity(tableOf({"A*6"}), "AX6"), "?");
}

TEST(CountryLookup, PercentKindTakesTheNameFromTheCall) {
  CountryTable t = tableOf({entry("QX", "%", "IGNORED"), entry("Q", "%", "")});
  EXPECT_EQ(lookupEntity(t, "QX1ABC"), "ABC");
  EXPECT_EQ(lookupEntity(t, "QX1"), "");
  EXPECT_EQ(lookupEntity(t, "QX"), "");
  EXPECT_EQ(lookupEntity(t, "QX1UN"), "UNITED NATIO");
  // One character of prefix leaves up to 14; the column holds 12.
  EXPECT_EQ(lookupEntity(t, "Q1ABCDEFGHIJKLMN"), "ABCDEFGHIJKL");
  EXPECT_EQ(lookupEntity(t, "Q1ABCDEFGHIJKL"), "ABCDEFGHIJKL");
  EXPECT_EQ(lookupEntity(t, "QX1AB/P"), "AB/P");
  EXPECT_EQ(lookupEntity(t, "K1ABC/QX"), "K1ABC");  // built from the reordered call
}

TEST(CountryLookup, QuestionKindStopsTheScan) {
  CountryTable t = tableOf({entry("VK9", "?", "NAME IGNORED"), entry("VK", "", "AUSTRALIA")});
  EXPECT_EQ(lookupEntity(t, "VK9NS"), "?");
  EXPECT_EQ(lookupEntity(t, "VK2ABC"), "AUSTRALIA");
  CountryTable kindNotFirst = tableOf({entry("VK9", " ?", "NORFOLK")});
  EXPECT_EQ(lookupEntity(kindNotFirst, "VK9NS"), "NORFOLK");
}

TEST(CountryLookup, ShortKg4CallsAreUsa) {
  CountryTable t = tableOf({entry("KG4", "", "GUANTANAMO B"), entry("KG", "?", "")});
  EXPECT_EQ(lookupEntity(t, "KG4A"), "USA");
  EXPECT_EQ(lookupEntity(t, "KG4AB"), "GUANTANAMO B");
  EXPECT_EQ(lookupEntity(t, "KG4ABC"), "GUANTANAMO B");
  EXPECT_EQ(lookupEntity(tableOf({}), "KG4A"), "USA");
  EXPECT_EQ(lookupEntity(tableOf({}), "KG4AB"), "?");
  EXPECT_EQ(lookupEntity(tableOf({entry("KG", "?", "")}), "KG4Z"), "USA");
  EXPECT_EQ(lookupEntity(tableOf({}), "KG5A"), "?");
}

TEST(CountryLookup, OnlyUnExactlyIsWidened) {
  CountryTable t = tableOf(
      {entry("4U1U", "", "UN"), entry("4U1I", "", "UNI"), entry("4U1V", "", "UN "), entry("4U", "", "UNITED NATIO")});
  EXPECT_EQ(lookupEntity(t, "4U1UN"), "UNITED NATIO");
  EXPECT_EQ(lookupEntity(t, "4U1ITU"), "UNI");
  EXPECT_EQ(lookupEntity(t, "4U1VIC"), "UN ");
}

TEST(CountryLookup, ComparesBytesExactly) {
  CountryTable t =
      tableOf({entry("dl", "", "LOWER"), entry(std::string("\xB3\x00", 2), "", "BINARY"), entry("DL", "", "GERMANY")});
  EXPECT_EQ(lookupEntity(t, "DL1ABC"), "GERMANY");
  EXPECT_EQ(lookupEntity(t, "dl1abc"), "LOWER");
  EXPECT_EQ(lookupEntity(t, std::string("\xB3\x00\xFF", 3)), "BINARY");
  EXPECT_EQ(lookupEntity(t, std::string("\xFF/\x00", 3)), "?");
  EXPECT_EQ(lookupEntity(t, std::string(5000, '/')), "?");
}

// The demo station's table, as a real operator's calls meet it.
class CountryDemoTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { table_ = loadCountryTable(testing::sourceDir() + "/data/demo/COUNTRY.DAT"); }
  static CountryTable table_;
};
CountryTable CountryDemoTable::table_;

TEST_F(CountryDemoTable, HomeCallsAndTheirTerritories) {
  const std::vector<std::pair<const char*, const char*>> calls = {
      {"W1AW", "USA"},          {"K1ABC", "USA"},     {"N2XYZ", "USA"},          {"AA1AA", "USA"},
      {"AC6ZZ", "USA"},         {"KH6ABC", "HAWAII"}, {"WH6XYZ", "HAWAII"},      {"AH6Q", "HAWAII"},
      {"KL7ABC", "ALASKA"},     {"AL7AA", "ALASKA"},  {"KP4ABC", "PUERTO RICO"}, {"WP4XYZ", "PUERTO RICO"},
      {"KP2A", "US VIRGIN IS"}, {"KH2XX", "GUAM"},    {"KP1ABC", "NAVASSA"},     {"VE3ABC", "CANADA"},
      {"VA7XY", "CANADA"},      {"VO1AA", "CANADA"},  {"VY2ZM", "CANADA"},       {"PY2AB", "BRAZIL"},
  };
  for (const auto& [call, name] : calls) EXPECT_EQ(lookupEntity(table_, call), name) << call;
}

TEST_F(CountryDemoTable, EuropeAsiaAndOceania) {
  const std::vector<std::pair<const char*, const char*>> calls = {
      {"4U1UN", "UNITED NATIO"},  {"4U1ITU", "ITU HQ"},       {"4U1VIC", "AUSTRIA"},      {"OE1ABC", "AUSTRIA"},
      {"DL1ABC", "GERMANY"},      {"DK0ZZ", "GERMANY"},       {"DO1XX", "GERMANY"},       {"G4ABC", "ENGLAND"},
      {"M0ABC", "ENGLAND"},       {"GM3ABC", "SCOTLAND"},     {"MM0XYZ", "SCOTLAND"},     {"GW4ABC", "WALES"},
      {"GI0ABC", "NORTHERN IRE"}, {"F5ABC", "FRANCE"},        {"FM5AB", "MARTINIQUE"},    {"EA8ABC", "CANARY IS"},
      {"EA3ABC", "SPAIN"},        {"EA6XX", "BALEARIC IS"},   {"I2ABC", "ITALY"},         {"IS0ABC", "SARDINIA"},
      {"UA3ABC", "EUROPEAN RUS"}, {"UA1ABC", "EUROPEAN RUS"}, {"RA3ABC", "EUROPEAN RUS"}, {"UA9ABC", "ASIATIC RUSS"},
      {"UA0ABC", "ASIATIC RUSS"}, {"RA9ABC", "ASIATIC RUSS"}, {"RK0AB", "ASIATIC RUSS"},  {"R9ABC", "ASIATIC RUSS"},
      {"UA2FAA", "KALININGRAD"},  {"JA1ABC", "JAPAN"},        {"JH1ABC", "JAPAN"},        {"JD1ABC", "OGASAWARA"},
      {"VK2ABC", "AUSTRALIA"},    {"VK9NS", "NORFOLK IS"},    {"ZL1ABC", "NEW ZEALAND"},
  };
  for (const auto& [call, name] : calls) EXPECT_EQ(lookupEntity(table_, call), name) << call;
}

TEST_F(CountryDemoTable, PortableCalls) {
  const std::vector<std::pair<const char*, const char*>> calls = {
      {"DL/K1ABC", "GERMANY"},
      {"K1ABC/DL", "GERMANY"},
      {"K1ABC/P", "USA"},
      {"DL1ABC/P", "GERMANY"},
      {"K1ABC/KH6", "HAWAII"},
      {"KH6/K1ABC", "HAWAII"},
      {"K1ABC/VE3", "CANADA"},
      {"VE3ABC/W1", "USA"},
      {"W1AW/KP4", "PUERTO RICO"},
      {"EA8/DL1ABC", "CANARY IS"},
      {"DL1ABC/EA8", "CANARY IS"},
      {"F/G4ABC", "FRANCE"},
      {"DL/K1ABC/P", "GERMANY"},
      {"K1ABC/DL/P", "GERMANY"},
      {"JA1ABC/1", "JAPAN"},
      {"UA3ABC/P", "EUROPEAN RUS"},
      {"UA9ABC/P", "ASIATIC RUSS"},
      // One character behind the slash is a designator, never a prefix; the table
      // made from the country file has no suffix patterns, so a call-area digit
      // behind the slash does not move a call from one entity to another either.
      {"G4ABC/F", "ENGLAND"},
      {"UA3ABC/9", "EUROPEAN RUS"},
      // The shorter part is taken as the prefix: /QRP is no prefix the table knows,
      // and K1ABC/MM becomes MM/K1ABC, which is how a visitor to Scotland signs.
      {"K1ABC/QRP", "?"},
      {"K1ABC/MM", "SCOTLAND"},
  };
  for (const auto& [call, name] : calls) EXPECT_EQ(lookupEntity(table_, call), name) << call;
}

// The prefix table and the worked table must spell every entity alike, or a
// contact would never reach its line: every entity of the prefix table has one
// line before the deleted ones, and the prefix in columns 5-12 of that line, looked
// up as a call, gives the line's name. (The deleted entities, and the few that the
// country file lists by exact calls only, have no prefix in the table.)
TEST(CountryDemoFiles, LayoutAndSpellingAgree) {
  const std::string dir = testing::sourceDir() + "/data/demo/";
  std::string country = readWholeFile(dir + "COUNTRY.DAT");
  std::vector<std::string> lines = splitLines(country);
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(country.size() - country.find_last_not_of("\r\n") - 1, 2u);  // ends in CR LF
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    SCOPED_TRACE(line);
    EXPECT_LE(line.size(), 23u);
    if (line.size() > 4) {
      EXPECT_EQ(line[4], ' ');
    }
    if (line.size() > 9) {
      EXPECT_EQ(line.substr(9, 2), "  ");
    }
  }
  EXPECT_EQ(std::count(country.begin(), country.end(), '\n'), std::count(country.begin(), country.end(), '\r'));

  CountryTable table = parseCountryTable(lines);
  std::string worked = readWholeFile(dir + "WORKED.CFM");
  EXPECT_EQ(std::count(worked.begin(), worked.end(), '\n'), std::count(worked.begin(), worked.end(), '\r'));
  std::map<std::string, int> linesOf;
  for (const CountryEntry& e : table.entries) linesOf[e.entityName] = 0;
  int entities = 0;
  bool deleted = false, end = false;
  for (const std::string& line : splitLines(worked)) {
    if (line.find("DELETED") != std::string::npos) deleted = true;
    if (line.compare(0, 3, "END") == 0) end = true;
    if (line.size() < 79) continue;
    ++entities;
    SCOPED_TRACE(line);
    EXPECT_NE(line[0], ' ');
    std::string name = line.substr(16, 12);
    name.erase(name.find_last_not_of(' ') + 1);
    if (!deleted && linesOf.count(name)) {
      ++linesOf[name];
      std::string prefix = line.substr(4, 8);
      prefix.erase(prefix.find_last_not_of(' ') + 1);
      EXPECT_EQ(lookupEntity(table, prefix), name);
    }
    // Bars frame the cells; a cell is blank or holds a mark the logbook writes.
    for (size_t col = 43; col <= 79; ++col) {
      if (col % 2) {
        EXPECT_EQ(line[col - 1], '\xB3') << col;
      } else {
        EXPECT_NE(std::string(" \\XLB").find(line[col - 1]), std::string::npos) << col;
      }
    }
  }
  for (const auto& [name, count] : linesOf) EXPECT_EQ(count, 1) << name;
  EXPECT_GE(entities, 5);
  EXPECT_TRUE(deleted);
  EXPECT_TRUE(end);
  EXPECT_EQ(fileLength(dir + "GRID.SQU"), 0);
}

}  // namespace
}  // namespace kivo
