#pragma once
// WORKED.CFM and GRID.SQU as both programs read them.
//
// WORKED.CFM is the user's own text file: one line per DX entity, the entity name in
// columns 17-28 and one mark cell per award category in the even columns 44-78,
// usually framed by 0xB3 bars so that a proper entity line is 79 characters long.
// Everything else on a line is the user's free text. The logbook changes single mark
// cells in place; the award summary only counts them.
#include <array>
#include <string>
#include <string_view>

namespace kivo {

struct AwardCategory {
  int column;           // mark cell, counted from 1
  const char* caption;  // as the award summary shows it
  // Band categories only: the frequency must lie strictly between these (MHz).
  // Both are 0 for the mode, satellite and power categories.
  float low;
  float high;
  bool isBand() const { return high > 0; }
  // Strict on both sides, in single precision: the band edges themselves belong to
  // no band.
  bool contains(float mhz) const { return isBand() && mhz > low && mhz < high; }
};

// The marks of the QSL column SR (sent, received) and of a mark cell. A mark cell
// moves forward only: blank, worked, then card or LOTW, then both; credited is set
// by hand and final.
inline constexpr char kMarkNone = ' ';
inline constexpr char kMarkWorked = '\\';
inline constexpr char kMarkCard = 'X';
inline constexpr char kMarkLotw = 'L';
inline constexpr char kMarkBoth = 'B';
inline constexpr char kMarkCredited = 'C';
// The status of a square in column 6 of GRID.SQU.
inline constexpr char kSquareWorked = '/';
inline constexpr char kSquareConfirmed = 'X';

inline constexpr int kCategoryCount = 18;

// Categories are numbered from 1, in column order: category k sits in column 42 + 2k.
inline constexpr int kMixed = 1, kPhone = 2, kCw = 3, kDigital = 4, kSatellite = 5, kQrp = 6;
inline constexpr int k630Meters = 7, k160Meters = 8, k60Meters = 10, k6Meters = 18;

inline constexpr std::array<AwardCategory, kCategoryCount> kAwardCategories = {{
    {44, "MIXED", 0, 0},
    {46, "PHONE", 0, 0},
    {48, "CW", 0, 0},
    {50, "DIGITAL", 0, 0},
    {52, "SATELLITE", 0, 0},
    {54, "QRP", 0, 0},
    {56, "630 METERS", 0.4f, 0.5f},
    {58, "160 METERS", 1.7f, 2.0f},
    {60, "80 METERS", 3.4f, 4.0f},
    {62, "60 METERS", 5.3f, 5.41f},
    {64, "40 METERS", 6.9f, 7.3f},
    {66, "30 METERS", 10.0f, 10.2f},
    {68, "20 METERS", 13.9f, 14.4f},
    {70, "17 METERS", 18.0f, 18.2f},
    {72, "15 METERS", 20.9f, 21.46f},
    {74, "12 METERS", 24.8f, 25.0f},
    {76, "10 METERS", 27.9f, 30.0f},
    {78, "6 METERS", 49.9f, 54.0f},
}};

constexpr const AwardCategory& awardCategory(int k) { return kAwardCategories[static_cast<size_t>(k - 1)]; }
constexpr int markColumn(int k) { return 42 + 2 * k; }

// What a mark cell says, as the award summary counts it: blank is nothing; "X" is a
// paper confirmation; "C" (credited by the user), "L" and "B" are credited; any other
// character, "\" and lower-case letters included, is worked only.
struct MarkClass {
  bool worked = false;
  bool confirmed = false;
  bool credited = false;
};
MarkClass classifyMark(char cell);

// The bytes of one entity line: the name, the cells and the framing bar in column 79.
inline constexpr size_t kEntityLineLength = 79;
inline constexpr size_t kEntityNameColumn = 17;
inline constexpr size_t kEntityNameWidth = 12;

// The logbook's test: long enough to hold every cell and the closing bar.
inline bool isEntityLine(std::string_view line) { return line.size() >= kEntityLineLength; }
// The award summary also passes over lines that start with a blank, so a user can
// keep indented notes of full length in the table.
inline bool isCountedEntityLine(std::string_view line) { return isEntityLine(line) && line[0] != ' '; }

// Columns 17-28; shorter when the line is (only entity lines are ever asked).
std::string_view entityNameOf(std::string_view line);
// The cell of category k, or a blank when the line does not reach it.
char markOf(std::string_view line, int k);

// Every entity line after a line that holds this text is a deleted entity.
inline bool opensDeletedSection(std::string_view line) { return line.find("DELETED") != std::string_view::npos; }
// The award summary and the reports stop reading after such a line.
inline bool endsTable(std::string_view line) { return line.substr(0, 3) == "END"; }

// A contact's tag: the "$" in its comment and the (up to) two characters after it;
// empty when the comment has no "$".
std::string contactTag(std::string_view comments);
// True when the line holds the tag anywhere; an empty tag is in no line.
bool hasTag(std::string_view line, std::string_view tag);

// GRID.SQU lines: "AB12 /" worked, "AB12 X" confirmed; further characters are the user's.
inline bool gridSquareWorked(std::string_view line) { return line.size() > 5; }
inline bool gridSquareConfirmed(std::string_view line) { return line.size() >= 6 && line[5] == kSquareConfirmed; }

}  // namespace kivo
