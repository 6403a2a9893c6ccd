#include "awardsum/awardsum.h"

#include "common/command_line.h"
#include "common/files.h"
#include "common/text.h"

namespace kivo {

namespace {

void countEntityLine(AwardTotals& t, const std::string& line, bool inDeletedSection) {
  ++t.entities;
  if (inDeletedSection) ++t.deletedEntities;
  for (int k = 1; k <= kCategoryCount; ++k) {
    MarkClass mark = classifyMark(markOf(line, k));
    size_t i = static_cast<size_t>(k - 1);
    t.all[i].add(mark);
    if (inDeletedSection) t.deleted[i].add(mark);
    if (k >= k160Meters) {
      t.bands.add(mark);
      // The challenge counts current entities only, and 60 m is not one of its bands.
      if (!inDeletedSection && k != k60Meters) t.challenge.add(mark);
    }
  }
}

struct GridTotals {
  long long worked = 0;
  long long confirmed = 0;
};

GridTotals countGridSquares(const std::string& path) {
  TextReader reader;
  reader.open(path);
  reader.setSizeLimit(kMaxTableBytes);
  GridTotals g;
  std::string line;
  while (reader.readLine(line)) {
    if (gridSquareConfirmed(line)) ++g.confirmed;
    if (gridSquareWorked(line)) ++g.worked;
  }
  return g;
}

std::string pair(long long all, long long current) { return basicNumber(all) + "/" + basicNumber(current); }

void printAt(Console& console, int row, int column, const std::string& text) {
  console.locate(row, column);
  console.print(text);
}

// Between two looks at the keyboard and the mouse while the totals are shown.
constexpr int kKeyPollMs = 10;

// The layout of the summary: a caption row, a row per category from row 3, the
// three pairs of totals in their columns, the totals rows and the key prompt.
constexpr int kFirstCategoryRow = 3;
constexpr int kWorkedColumn = 33;
constexpr int kConfirmedColumn = 48;
constexpr int kCreditColumn = 63;
constexpr int kBandTotalsRow = 22;
constexpr int kDxccTotalRow = 23;
constexpr int kGridTotalsRow = 24;
constexpr int kPromptRow = 25;

void showTotals(Console& console, const AwardTotals& t) {
  printAt(console, 1, 1, "                                WORKED       CONFIRMED      DXCC CREDIT");
  for (int k = 1; k <= kCategoryCount; ++k) {
    size_t i = static_cast<size_t>(k - 1);
    const MarkCounts& all = t.all[i];
    const MarkCounts& gone = t.deleted[i];
    int row = kFirstCategoryRow + k - 1;
    printAt(console, row, 1, awardCategory(k).caption);
    printAt(console, row, kWorkedColumn, pair(all.worked, all.worked - gone.worked));
    printAt(console, row, kConfirmedColumn, pair(all.confirmed, all.confirmed - gone.confirmed));
    printAt(console, row, kCreditColumn, pair(all.credited, all.credited - gone.credited));
  }
  printAt(console, kBandTotalsRow, 1,
          "TOTAL BAND COUNTRIES (160-6) " + basicNumber(t.bands.worked) + "/" + basicNumber(t.bands.confirmed) + "/" +
              basicNumber(t.bands.credited) + " Chall " + basicNumber(t.challenge.worked) + "/" +
              basicNumber(t.challenge.confirmed) + "/" + basicNumber(t.challenge.credited));
  printAt(console, kDxccTotalRow, 1, "TOTAL ARRL DXCC COUNTRIES  " + pair(t.entities, t.entities - t.deletedEntities));
}

bool clickedExit(Console& console) {
  MouseState mouse;
  if (!console.pollMouse(mouse) || !mouse.left) return false;
  std::string word = console.screen().wordAt(mouse.row + 1, mouse.column + 1);
  return word == "EXIT" || word == "exit";
}

}  // namespace

void MarkCounts::add(const MarkClass& mark) {
  worked += mark.worked;
  confirmed += mark.confirmed;
  credited += mark.credited;
}

AwardSumFiles parseAwardSumCommandLine(const std::vector<std::string>& args) {
  const std::string line = joinedCommandLine(args);
  AwardSumFiles files;
  optionValue(line, "F3=", files.worked);
  optionValue(line, "F4=", files.grid);
  return files;
}

AwardTotals countWorkedTable(const std::string& path) {
  TextReader reader;
  reader.open(path);
  reader.setSizeLimit(kMaxTableBytes);
  AwardTotals totals;
  bool inDeletedSection = false;
  std::string line;
  while (reader.readLine(line)) {
    if (opensDeletedSection(line)) inDeletedSection = true;
    if (isCountedEntityLine(line)) countEntityLine(totals, line, inDeletedSection);
    if (endsTable(line)) break;
  }
  return totals;
}

int runAwardSum(Console& console, const std::vector<std::string>& args) {
  AwardSumFiles files = parseAwardSumCommandLine(args);
  console.color(palette::kCaptions);
  console.cls();
  showTotals(console, countWorkedTable(files.worked));
  // The totals stay in view even when the grid file turns out to be missing.
  console.terminal().show(console.screen());
  GridTotals grid = countGridSquares(files.grid);
  printAt(
      console, kGridTotalsRow, 1,
      "TOTAL VHF GRID SQUARES WORKED IS " + basicNumber(grid.worked) + " CONFIRMED IS " + basicNumber(grid.confirmed));
  printAt(console, kPromptRow, 1, "Press any key or click this word EXIT to exit");
  while (true) {
    if (!console.inkey().empty()) break;
    console.pause(kKeyPollMs);
    if (clickedExit(console)) break;
  }
  return 0;
}

}  // namespace kivo
