#pragma once
// How one contact changes the award tables, on tables held in memory: which entity
// lines of WORKED.CFM it selects, which categories it marks, how a mark moves
// forward, and how its VHF square is added to or confirmed in GRID.SQU. The logbook
// writes what changed back to its files; the award summary's check replays whole
// logs through the very same rules.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/records/log_record.h"

namespace kivo {

// What the rules read from one record. The texts are as the browse screen shows
// them: importers pad with 0x00 bytes, which show as blanks, and a padded field must
// compare and test like the one typed in.
struct TableContact {
  enum class ModeKind : uint8_t { kSsb, kMorse, kFmOrAm, kOther };  // "SSB ", "CW  ", "FM  " or "AM  ", the rest

  std::array<char, 12> country{};
  std::array<char, 38> comments{};
  char received = ' ';  // the QSL-received mark, the second SR character
  float mhz = 0;        // FREQ in single precision, as the band limits are
  uint32_t bands = 0;   // the band categories FREQ lies in, category k in bit k - 1
  ModeKind mode = ModeKind::kOther;
  bool satellite = false;  // " SAT" in the comment
  bool qrp = false;
  bool heldBack = false;  // an Antilles entity dated before the split: nothing is marked
  bool knownEntity = false;
  int8_t hashAt = -1;    // the first "#" of the comment, -1 for none
  int8_t dollarAt = -1;  // the first "$"

  std::string_view countryText() const { return {country.data(), country.size()}; }
  std::string_view commentText() const { return {comments.data(), comments.size()}; }
  // A known entity: the name does not start with a blank and holds no "?".
  bool hasEntity() const { return knownEntity; }
  // A VHF contact with a "#" in its comment updates the grid table.
  bool touchesGrid() const { return hashAt >= 0 && mhz > 49.9f; }
  // The "$" of the comment and up to two characters after it; empty without one.
  std::string_view tag() const;
};

// From the 144 bytes of a record.
TableContact readContact(const uint8_t* record);
inline TableContact readContact(const LogRecord& record) { return readContact(record.bytes.data()); }

bool categoryApplies(const TableContact& contact, int k);

// Moves a cell forward by the received mark: blank -> "\" -> "X" or "L" -> "B";
// "C" and "B" are final. The cell is read in upper case. True when it changed.
bool advanceMark(char& cell, char received);

// True when a contact dated `date` (DD MON YY) lies before 10 OCT 2010, the day the
// four Caribbean entities of the Netherlands Antilles began to count. A month that
// is none of JAN-DEC ranks before January, so only the year can put such a date
// after the cut-off (2011 and later); in 2010 and before it counts as before.
bool datedBeforeAntillesSplit(std::string_view date);

// Entity lines by their name (columns 17-28, 12 characters): a small open table, as
// the award check looks a name up for every contact of a log.
class EntityNameIndex {
 public:
  void clear();
  void add(std::string_view name, size_t line);
  // The lines of the name in file order, or nullptr.
  const std::vector<size_t>* find(std::string_view name) const;

 private:
  struct Slot {
    std::array<char, 12> name{};
    uint32_t list = 0;  // 1 + the index into lists_, 0 for a free slot
  };
  size_t slotOf(std::string_view name) const;
  size_t slotOfKey(const char* key) const;  // 12 bytes
  std::vector<Slot> slots_;
  std::vector<std::vector<size_t>> lists_;
};

// WORKED.CFM in memory: its lines, where each starts in the file, and the entity
// lines by name and those that may carry a tag.
struct WorkedLines {
  std::vector<std::string> lines;
  std::vector<size_t> starts;
  EntityNameIndex byName;
  std::vector<size_t> withDollar;

  // Every line with the byte position at which it starts, whatever its line end
  // (CR LF, LF, or none on the last line); the index is built from them.
  void read(const std::string& bytes);
  // Builds the index from the lines as they are now.
  void index();
};

struct WorkedApplied {
  bool updated = false;   // workedUpdated after the contact
  bool selected = false;  // some line was the contact's by its name or tag
};

// What a contact asks of the table, worked out from the table's names and tags alone,
// which no contact changes: the award check works out many contacts at once and
// applies them in log order.
struct WorkedRequest {
  const std::vector<size_t>* named = nullptr;  // the lines of the entity's name
  std::array<char, 12> country{};
  std::array<char, 3> tag{};  // the "$" and up to two characters after it
  uint8_t tagLength = 0;
  bool known = false;     // a known entity: only then is anything selected
  bool heldBack = false;  // selected, but nothing is marked
  char received = ' ';
  uint32_t mask = 0;  // the categories it marks, category k in bit k - 1

  std::string_view countryText() const { return {country.data(), country.size()}; }
  std::string_view tagText() const { return {tag.data(), tagLength}; }
};

WorkedRequest requestOf(const WorkedLines& table, const TableContact& contact);

// Applies the contact as the logbook's scan does: without a tag it stops after the
// first line of the entity on which a mark changed, passing over lines on which
// nothing changed; with a tag, lines selected by name are updated on the way and it
// stops after the first tagged line that changed. `changed` receives the changed
// lines in file order. A contact without a known entity changes nothing.
WorkedApplied applyRequest(WorkedLines& table, const WorkedRequest& request, std::vector<size_t>& changed);
inline WorkedApplied applyToWorkedLines(WorkedLines& table, const TableContact& contact, std::vector<size_t>& changed) {
  return applyRequest(table, requestOf(table, contact), changed);
}

// The four characters after the first "#" of the comment, taken as they are; empty
// when fewer than four follow it inside the comment.
std::string_view contactSquare(const TableContact& contact);
// The first line whose first four characters are the square, or lines.size().
size_t findSquare(const std::vector<std::string>& lines, std::string_view square);
// Adds the square as "AB12 /" when `at` is lines.size(), and puts "X" in column 6
// when a QSL was received. True when the table is to be written again (also for a
// line too short to take the "X", which is left as it is).
bool applyToSquare(std::vector<std::string>& lines, size_t at, std::string_view square, char received);

}  // namespace kivo
