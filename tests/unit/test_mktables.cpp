#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "awardsum/awardsum.h"
#include "common/fatal.h"
#include "common/files.h"
#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/country_table.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/mktables/cty_csv.h"
#include "tools/mktables/entity_names.h"
#include "tools/mktables/mktables.h"
#include "tools/mktables/prefix_table.h"
#include "tools/mktables/worked_cfm.h"

namespace kivo {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

std::string smallCtyPath() { return testing::sourceDir() + "/tests/data/cty_small.csv"; }
CtyFile smallCty() { return parseCtyCsv(readFile(smallCtyPath())); }
PrefixTable smallTable() { return buildPrefixTable(smallCty()); }

const TableEntity* entityNumbered(const PrefixTable& t, int dxcc) {
  for (const TableEntity& e : t.entities)
    if (e.dxcc == dxcc) return &e;
  return nullptr;
}

// Lines with their ends, so that a test sees every byte.
std::vector<std::string> rawLines(const std::string& bytes) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
    out.push_back(bytes.substr(start, end - start));
    start = end;
  }
  return out;
}

// ---- the country file ----

TEST(MktablesCty, ReadsEntitiesPrefixesAndVersion) {
  CtyFile f = smallCty();
  ASSERT_EQ(f.entities.size(), 16u);
  EXPECT_EQ(f.version, "20240101");
  const CtyEntity& sicily = f.entities[4];
  EXPECT_TRUE(sicily.otherAwardsOnly);
  EXPECT_EQ(sicily.primaryPrefix, "IT9");
  EXPECT_EQ(sicily.dxcc, 248);
  const CtyEntity& asia = f.entities[9];
  EXPECT_FALSE(asia.otherAwardsOnly);
  EXPECT_EQ(asia.name, "Asiatic Russia");
  EXPECT_EQ(asia.continent, "AS");
  // Overrides cut off, the empty item between two blanks not kept.
  EXPECT_EQ(asia.prefixes, (std::vector<std::string>{"R9", "UA9", "UA0", "RI0X"}));
  EXPECT_EQ(f.entities[6].exactCalls, (std::vector<std::string>{"W1AW/KH6", "VER20240101"}));
  EXPECT_EQ(f.entities[6].prefixes, (std::vector<std::string>{"K", "W", "N", "AA", "AA0"}));
}

TEST(MktablesCty, OddButReadableLines) {
  // CR LF, blank lines, a comma inside the name, tabs, a list without its ";", and
  // a version entry that is no date.
  CtyFile f = parseCtyCsv(
      "\r\n1A,Sov Mil Order of Malta,246,EU,15,28,41.90,-12.43,-1.0,1A;\r\n  \r\n"
      "PJ2,Bonaire, Curacao,85,SA,9,11,12.0,69.0,4.0,PJ2\tPJ4 =VERSION =VER2024X\n");
  ASSERT_EQ(f.entities.size(), 2u);
  EXPECT_EQ(f.entities[0].prefixes, (std::vector<std::string>{"1A"}));
  EXPECT_EQ(f.entities[1].name, "Bonaire, Curacao");
  EXPECT_EQ(f.entities[1].dxcc, 85);
  EXPECT_EQ(f.entities[1].continent, "SA");
  EXPECT_EQ(f.entities[1].prefixes, (std::vector<std::string>{"PJ2", "PJ4"}));
  EXPECT_EQ(f.version, "");

  std::string longList;
  for (int i = 0; i < 100000; ++i) longList += " Q" + std::to_string(i);
  CtyFile huge = parseCtyCsv("Q,Q Land,999,EU,1,1,0,0,0," + longList + ";");
  EXPECT_EQ(huge.entities[0].prefixes.size(), 100000u);

  EXPECT_EQ(withoutOverrides("K4<33.0/84.0>~5~"), "K4");
}

TEST(MktablesCty, RefusesWhatItCannotRead) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"", "no entity"},
      {"\r\n \n", "no entity"},
      {"1A,Malta,246,EU;", "line 1"},
      {"1A,Malta,246,EU,15,28,41.90,-12.43,-1.0,1A;\nQ,Q,abc,EU,1,1,0,0,0,Q;", "line 2"},
      {"Q,Q,1000,EU,1,1,0,0,0,Q;", "line 1"},
      {"Q,Q,0,EU,1,1,0,0,0,Q;", "line 1"},
      {"Q,Q,-5,EU,1,1,0,0,0,Q;", "line 1"},
      {",Q,5,EU,1,1,0,0,0,Q;", "line 1"},
      {"*,Q,5,EU,1,1,0,0,0,Q;", "line 1"},
      {std::string("\x00\xff\xb3,\x01\x02", 6), "line 1"},
  };
  for (const auto& [bytes, where] : bad) {
    try {
      parseCtyCsv(bytes);
      ADD_FAILURE() << "accepted: " << bytes;
    } catch (const CtyFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
    }
  }
}

// ---- the prefix table ----

TEST(MktablesPrefixTable, LongerPrefixesFirstFileOrderBreaksTies) {
  PrefixTable t = smallTable();
  std::vector<std::string> order;
  for (const PrefixEntry& e : t.entries) order.push_back(e.prefix + "=" + t.entities[e.entity].name);
  const std::vector<std::string> expected = {
      "4U1U=UNITED NATIO",
      "R1FJ=FRANZ JOSEF",
      "RI1F=FRANZ JOSEF",
      "RI0X=ASIATIC RUSS",
      "4U1V=AUSTRIA",
      "IA5=ITALY",
      "AH6=HAWAII",
      "KH6=HAWAII",
      "NH6=HAWAII",
      "WH6=HAWAII",
      "AA0=USA",
      "UA1=EUROPEAN RUS",
      "UA9=ASIATIC RUSS",
      "UA0=ASIATIC RUSS",
      "1A=SMOM",
      "4U=ITALY",
      "AA=USA",
      "UA=EUROPEAN RUS",
      "R9=ASIATIC RUSS",
      "PY=BRAZIL",
      "X1=XANADU TEST",
      "X2=XANADU TES 2",
      "OE=AUSTRIA",
      "I=ITALY",
      "K=USA",
      "W=USA",
      "N=USA",
      "R=EUROPEAN RUS",
      "U=EUROPEAN RUS",
  };
  EXPECT_EQ(order, expected);
}

TEST(MktablesPrefixTable, LeftOutKindsAreCounted) {
  PrefixTable t = smallTable();
  const PrefixCounts& c = t.counts;
  EXPECT_EQ(c.written, t.entries.size());
  EXPECT_EQ(c.written, 29u);
  EXPECT_EQ(c.tooLong, 2u);   // RI1FJL, PP0ZF
  EXPECT_EQ(c.unusable, 1u);  // A*1 would be a wildcard pattern
  EXPECT_EQ(c.repeated, 2u);  // PY twice for Brazil, X1 again for the second Xanadu
  EXPECT_EQ(c.leftOut(), 5u);
  EXPECT_EQ(c.exactCalls, 9u);  // Sicily's own are not counted: the whole entity is left out
  EXPECT_EQ(c.otherAwardEntities, 2u);
  EXPECT_EQ(c.otherAwardPrefixes, 2u);
  // 4U1U, and 4U1V for Austria; "3D2/c" is no prefix, and VK0H begins none of its calls.
  EXPECT_EQ(c.fromPrimary, 2u);
  EXPECT_EQ(c.fallbackNames, 2u);
  ASSERT_EQ(t.entities.size(), 14u);
  EXPECT_EQ(entityNumbered(t, 111)->prefixesWritten, 0u);
  for (const TableEntity& e : t.entities) EXPECT_NE(e.name, "SICILY");
  EXPECT_EQ(entityNumbered(t, 489)->prefixesWritten, 0u);
  EXPECT_EQ(entityNumbered(t, 489)->headPrefix, "3D2/C");
  // The head is the primary prefix when it is written, else the first prefix that is.
  EXPECT_EQ(entityNumbered(t, 15)->headPrefix, "UA9");
  EXPECT_EQ(entityNumbered(t, 289)->headPrefix, "4U1U");
}

TEST(MktablesPrefixTable, NamesFromTheTableThenFromTheFile) {
  PrefixTable t = smallTable();
  std::vector<std::string> names;
  for (const TableEntity& e : t.entities) names.push_back(e.name + (e.nameFromFile ? "*" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"SMOM", "CONWAY REEF", "UNITED NATIO", "ITALY", "HAWAII", "USA",
                                             "FRANZ JOSEF", "EUROPEAN RUS", "ASIATIC RUSS", "BRAZIL", "XANADU TEST*",
                                             "XANADU TES 2*", "HEARD IS", "AUSTRIA"}));

  // A number listed twice keeps the table's name for the first; a name from the file
  // never takes one that the table gives to a later entity, nor a deleted one.
  PrefixTable twice =
      buildPrefixTable(parseCtyCsv("TA,Asiatic Turkey,390,AS,20,39,0,0,0,TA;\n"
                                   "TA1,European Turkey,390,EU,20,39,0,0,0,TA1;\n"
                                   "Q1,Usa,901,NA,1,1,0,0,0,Q1;\n"
                                   "K,United States,291,NA,5,8,0,0,0,K;\n"
                                   "Q2,East Germany,902,EU,1,1,0,0,0,Q2;\n"
                                   "Q3,???,903,EU,1,1,0,0,0,Q3;\n"
                                   "Q4,Deleted Island,904,EU,1,1,0,0,0,Q4;\n"
                                   "DL,Germany,81,EU,14,28,0,0,0,DL;\n"));
  names.clear();
  for (const TableEntity& e : twice.entities) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"TURKEY", "EUROPEAN TUR", "USA 2", "USA", "EAST GERMA 2", "DXCC 903",
                                             "DXCC 904", "GERMANY"}));
  // An entity the file lists is current, whatever the table of deleted ones says.
  for (const TableEntity& d : twice.deleted) EXPECT_NE(d.dxcc, 81);
  EXPECT_EQ(twice.deleted.size(), deletedEntities().size() - 1);
}

// ---- the short names ----

TEST(MktablesEntityNames, EveryNameFitsTheColumnsAndIsUnique) {
  std::set<int> numbers;
  std::set<std::string> names;
  for (auto list : {currentEntityNames(), deletedEntities()}) {
    for (const NamedEntity& e : list) {
      EXPECT_TRUE(isUsableEntityName(e.name)) << e.name;
      EXPECT_TRUE(numbers.insert(e.dxcc).second) << e.dxcc;
      EXPECT_TRUE(names.insert(e.name).second) << e.name;
    }
  }
  // Spellings the logbook itself tests for.
  EXPECT_STREQ(shortEntityName(291), "USA");
  EXPECT_STREQ(shortEntityName(289), "UNITED NATIO");
  EXPECT_STREQ(shortEntityName(517), "CURACAO");
  EXPECT_STREQ(shortEntityName(520), "BONAIRE");
  EXPECT_STREQ(shortEntityName(519), "SABA & ST. E");
  EXPECT_STREQ(shortEntityName(518), "ST. MAARTEN");
  EXPECT_EQ(shortEntityName(81), nullptr);  // deleted
}

TEST(MktablesEntityNames, FallbackKeepsOnlyWhatANameMayHold) {
  EXPECT_EQ(fallbackEntityName("Fed. Rep. of Germany"), "FED. REP. OF");
  EXPECT_EQ(fallbackEntityName("  Qu?\xe9$bec  "), "QUBEC");
  EXPECT_EQ(fallbackEntityName("Ab          cdef"), "AB");  // cut at 12, trailing blanks dropped
  EXPECT_EQ(fallbackEntityName(std::string("\r\n\x00\xb3", 4)), "");
  EXPECT_EQ(fallbackEntityName("Deleted Isle"), "");
  EXPECT_EQ(fallbackEntityName(std::string(100000, 'x')), "XXXXXXXXXXXX");
  EXPECT_FALSE(isUsableEntityName(""));
  EXPECT_FALSE(isUsableEntityName(" USA"));
  EXPECT_FALSE(isUsableEntityName("THIRTEEN CHRS"));
  EXPECT_FALSE(isUsableEntityName("US$"));
  EXPECT_TRUE(isUsableEntityName("SABA & ST. E"));
}

// ---- COUNTRY.DAT ----

TEST(MktablesCountryDat, HeadingsEntriesAndTheLookup) {
  PrefixTable t = smallTable();
  std::string text = countryDatText(t, "cty_small.csv");
  std::vector<std::string> lines = rawLines(text);
  ASSERT_EQ(lines.size(), 2 + t.entries.size());
  for (const std::string& line : lines) ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_NE(lines[0].find("cty_small.csv"), std::string::npos);
  EXPECT_NE(lines[0].find("VERSION 20240101"), std::string::npos);
  EXPECT_NE(lines[1].find("Copyright (c) 1994- Jim Reisert AD1C"), std::string::npos);
  EXPECT_NE(lines[1].find("The above copyright notice and this permission notice shall be included"),
            std::string::npos);
  EXPECT_EQ(lines[2], "4U1U       UNITED NATIO\r\n");
  EXPECT_EQ(lines[7], "IA5        ITALY\r\n");
  EXPECT_EQ(lines.back(), "U          EUROPEAN RUS\r\n");
  // A file name cannot break the heading line; a file without a version says so.
  EXPECT_EQ(rawLines(countryDatText(PrefixTable{}, "x\r\ny"))[0],
            "KIVOLOG PREFIX TABLE MADE BY MKTABLES FROM xy, VERSION UNKNOWN (LONGER PREFIXES FIRST)\r\n");

  CountryTable table = parseCountryTable(splitLines(text));
  const std::vector<std::pair<const char*, const char*>> calls = {
      {"KH6ABC", "HAWAII"},
      {"K1ABC", "USA"},
      {"AA0XYZ", "USA"},
      {"K1ABC/KH6", "HAWAII"},
      {"4U1UN", "UNITED NATIO"},
      {"4U1ITU", "ITALY"},
      {"IT9ABC", "ITALY"},
      {"IA5A", "ITALY"},
      {"UA9ABC", "ASIATIC RUSS"},
      {"RI0XA", "ASIATIC RUSS"},
      {"R9AA", "ASIATIC RUSS"},
      {"RI1FJ", "FRANZ JOSEF"},
      {"RA3ABC", "EUROPEAN RUS"},
      {"UA1ABC", "EUROPEAN RUS"},
      {"PY2AA", "BRAZIL"},
      {"PP0ZFA", "?"},
      {"3D2CR", "?"},
      {"VK0EK", "?"},
      {"4U1VIC", "AUSTRIA"},
      {"OE3A", "AUSTRIA"},
      {"X2AB", "XANADU TES 2"},
      {"X1AB", "XANADU TEST"},
  };
  for (const auto& [call, name] : calls) EXPECT_EQ(lookupEntity(table, call), name) << call;
}

// ---- WORKED.CFM ----

std::string bars() {
  std::string out;
  for (int i = 0; i < 18; ++i) out += "\xB3 ";
  return out + "\xB3";
}

TEST(MktablesWorkedCfm, EntityLineBytes) {
  EXPECT_EQ(workedEntityLine({110, "HAWAII", "OC", "KH6", 4, false}),
            "110 KH6     OC  HAWAII" + std::string(20, ' ') + bars());
  EXPECT_EQ(workedEntityLine({81, "OLD GERMANY", "", "", 0, false}),
            "081" + std::string(13, ' ') + "OLD GERMANY " + std::string(14, ' ') + bars());
  std::string full = workedEntityLine({522, "ABCDEFGHIJKL", "EU", "Z6", 1, false});
  EXPECT_EQ(full.size(), kEntityLineLength);
  EXPECT_EQ(entityNameOf(full), "ABCDEFGHIJKL");
}

TEST(MktablesWorkedCfm, NewTableAsBothProgramsReadIt) {
  PrefixTable t = smallTable();
  std::string text = newWorkedTable(t);
  std::vector<std::string> lines = rawLines(text);
  for (const std::string& line : lines) ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
  std::vector<std::string> current, deleted;
  std::vector<std::string> headings;
  bool inDeleted = false, ended = false;
  for (const std::string& raw : lines) {
    std::string line = raw.substr(0, raw.size() - 2);
    ASSERT_FALSE(ended) << "a line after END";
    if (opensDeletedSection(line)) {
      EXPECT_EQ(line, "DELETED ENTITIES");
      inDeleted = true;
    } else if (endsTable(line)) {
      ended = true;
    } else if (isEntityLine(line)) {
      EXPECT_TRUE(isCountedEntityLine(line));
      EXPECT_EQ(line.size(), kEntityLineLength);
      std::string name(entityNameOf(line));
      name.erase(name.find_last_not_of(' ') + 1);
      (inDeleted ? deleted : current).push_back(name);
    } else {
      EXPECT_TRUE(current.empty()) << "a heading between the entities: " << line;
      EXPECT_EQ(line.find('$'), std::string::npos);
      headings.push_back(line);
    }
  }
  EXPECT_TRUE(ended);
  std::vector<std::string> expected;
  for (const TableEntity& e : t.entities) expected.push_back(e.name);
  EXPECT_EQ(current, expected);
  ASSERT_EQ(deleted.size(), deletedEntities().size());
  ASSERT_FALSE(deleted.empty());
  EXPECT_EQ(deleted.front(), "ABU AIL");
  ASSERT_FALSE(headings.empty());
  EXPECT_NE(headings[0].find("VERSION 20240101"), std::string::npos);
  // Each caption reads downwards in its cell's column, ending on the last heading row.
  ASSERT_GE(headings.size(), 10u);
  for (int k = 1; k <= kCategoryCount; ++k) {
    std::string down;
    for (size_t row = headings.size() - 10; row < headings.size(); ++row) {
      const std::string& h = headings[row];
      size_t col = static_cast<size_t>(markColumn(k) - 1);
      down += col < h.size() ? h[col] : ' ';
    }
    down.erase(0, down.find_first_not_of(' '));
    EXPECT_EQ(down, awardCategory(k).caption);
  }

  // The award summary counts the same entities, with the deleted ones apart.
  TempDir dir;
  writeFile("WORKED.CFM", text);
  AwardTotals totals = countWorkedTable("WORKED.CFM");
  EXPECT_EQ(totals.entities, static_cast<long long>(t.entities.size() + t.deleted.size()));
  EXPECT_EQ(totals.deletedEntities, static_cast<long long>(t.deleted.size()));
  EXPECT_EQ(totals.all[0].worked, 0);
}

// A user's table: notes, marks, a line of USA that starts with a blank (the logbook
// still finds it), ITALY only among the deleted ones, notes after END.
std::string userLine(const std::string& name, char mark) {
  return "MY OWN NOTES    " + fitWidth(name, 12) + " 14 DEC 1999  " + "\xB3" + mark + bars().substr(2);
}

TEST(MktablesWorkedCfm, RefreshAddsTheMissingLinesAndKeepsEveryByte) {
  PrefixTable t = smallTable();
  const std::string head = "MY TABLE\r\n" + userLine("HAWAII", 'X') + "\r\n" + " " + userLine("USA", 'C').substr(1) +
                           "\r\nSHORT NOTE FOR SMOM\r\n" + userLine("SMOM", 'C').substr(0, 78) + "\r\n";
  const std::string tail =
      "--- DELETED ---\r\n" + userLine("ITALY", 'B') + "\r\nEND\r\nDELETED later\r\n" + std::string("\xFF\x00", 2);
  WorkedRefresh r = refreshWorkedTable(head + tail, t);
  EXPECT_EQ(r.addedNames,
            (std::vector<std::string>{"SMOM", "CONWAY REEF", "UNITED NATIO", "FRANZ JOSEF", "EUROPEAN RUS",
                                      "ASIATIC RUSS", "BRAZIL", "XANADU TEST", "XANADU TES 2", "HEARD IS", "AUSTRIA"}));
  ASSERT_GT(r.bytes.size(), head.size() + tail.size());
  EXPECT_EQ(r.bytes.substr(0, head.size()), head);
  EXPECT_EQ(r.bytes.substr(r.bytes.size() - tail.size()), tail);
  std::vector<std::string> added = rawLines(r.bytes.substr(head.size(), r.bytes.size() - head.size() - tail.size()));
  ASSERT_EQ(added.size(), r.addedNames.size());
  for (size_t i = 0; i < added.size(); ++i) {
    EXPECT_EQ(added[i].size(), kEntityLineLength + 2);
    EXPECT_EQ(entityNameOf(added[i]), fitWidth(r.addedNames[i], kEntityNameWidth));
    EXPECT_EQ(added[i].substr(kEntityLineLength), "\r\n");
  }

  // Nothing is lacking the second time: not a byte changes.
  WorkedRefresh again = refreshWorkedTable(r.bytes, t);
  EXPECT_TRUE(again.addedNames.empty());
  EXPECT_EQ(again.bytes, r.bytes);
}

TEST(MktablesWorkedCfm, RefreshFindsItsPlaceInAnyTable) {
  PrefixTable t = buildPrefixTable(parseCtyCsv("KH6,Hawaii,110,OC,31,61,0,0,0,KH6;\n"));
  const std::string hawaii = workedEntityLine(t.entities[0]);
  struct Case {
    std::string old, expected;
  };
  const std::vector<Case> cases = {
      {"", hawaii + "\r\n"},
      {"HEAD\nEND\n", "HEAD\n" + hawaii + "\nEND\n"},  // LF alone stays LF alone
      {"HEAD\r\nENDING\r\n", "HEAD\r\n" + hawaii + "\r\nENDING\r\n"},
      {"HEAD\r\nNOTES", "HEAD\r\nNOTES\r\n" + hawaii + "\r\n"},  // a line end before the new line
      {"HEAD", "HEAD\r\n" + hawaii + "\r\n"},
      {"END\r\nDELETED\r\n", hawaii + "\r\nEND\r\nDELETED\r\n"},  // whichever comes first
      {"X DELETED\nEND\n", hawaii + "\nX DELETED\nEND\n"},
      {"\r\r\n", "\r\r\n" + hawaii + "\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(refreshWorkedTable(c.old, t).bytes, c.expected) << c.old;
}

// ---- the program ----

struct MkRun {
  std::ostringstream out, err;
  int status = -1;
  explicit MkRun(const std::vector<std::string>& args) { status = runMktables(args, out, err); }
};

TEST(MktablesRun, WritesBothTablesThenRefreshChangesNothing) {
  TempDir dir;
  MkRun first({smallCtyPath(), "WORKED.CFM"});
  EXPECT_EQ(first.status, 0) << first.err.str();
  EXPECT_NE(first.out.str().find("14 entities (12 with prefixes), 29 prefixes written, 5 prefixes left out"),
            std::string::npos)
      << first.out.str();
  EXPECT_NE(first.out.str().find("14 lines added"), std::string::npos) << first.out.str();
  std::string country = readFile("COUNTRY.DAT");
  std::string worked = readFile("WORKED.CFM");
  EXPECT_EQ(country, countryDatText(smallTable(), "cty_small.csv"));
  EXPECT_EQ(worked, newWorkedTable(smallTable()));

  MkRun second({smallCtyPath(), "worked.cfm"});  // found whatever the case
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.out.str().find("0 lines added"), std::string::npos) << second.out.str();
  EXPECT_EQ(readFile("COUNTRY.DAT"), country);
  EXPECT_EQ(readFile("WORKED.CFM"), worked);

  // Without a worked table named, only COUNTRY.DAT is written.
  MkRun third({smallCtyPath()});
  EXPECT_EQ(third.status, 0);
  EXPECT_EQ(third.out.str().find("WORKED.CFM"), std::string::npos);
}

TEST(MktablesRun, AFailureLeavesBothFilesAsTheyWere) {
  TempDir dir;
  writeFile("COUNTRY.DAT", "old country");
  writeFile("WORKED.CFM", "old worked");
  writeFile("bad.csv", "1A,Malta,246,EU,15,28,41.90,-12.43,-1.0,1A;\ngarbage\n");

  MkRun bad({"bad.csv", "WORKED.CFM"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.str().find("line 2"), std::string::npos) << bad.err.str();

  MkRun usage({});
  EXPECT_EQ(usage.status, 1);
  EXPECT_NE(usage.err.str().find("usage"), std::string::npos);
  EXPECT_EQ(MkRun({"a", "b", "c"}).status, 1);

  try {
    MkRun missing({"nosuch.csv", "WORKED.CFM"});
    ADD_FAILURE() << "a missing country file was accepted";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
  // The worked table cannot be read: nothing is written, COUNTRY.DAT included.
  ::mkdir("FOLDER.CFM", 0755);
  try {
    MkRun folder({smallCtyPath(), "FOLDER.CFM"});
    ADD_FAILURE() << "a folder was read as the worked table";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileIoError);
  }
  EXPECT_EQ(readFile("COUNTRY.DAT"), "old country");
  EXPECT_EQ(readFile("WORKED.CFM"), "old worked");
}

}  // namespace
}  // namespace kivo
