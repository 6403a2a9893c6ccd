#include "logbook/interchange/merge_logs.h"

#include "logbook/interchange/log_date_keys.h"
#include "logbook/interchange/reports_menu.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

// Asks until the name opens. Opening for records creates a missing file, which then
// takes part as a log without records.
void openInput(Logbook& lb, const char* question, RecordFile& file) {
  do {
    lb.console.printLine(question);
  } while (!file.tryOpen(readMenuAnswer(lb)));
}

// One input of the merge: its buffered record and that record's key.
struct MergeInput {
  explicit MergeInput(const RecordFile& file) : scan(file, 1, file.count()) { advance(); }
  void advance() {
    exhausted = !scan.next(record);
    if (!exhausted) key = mergeKey(record);
  }
  RecordScanner scan;
  LogRecord record;
  std::string key;
  bool exhausted = false;
};

}  // namespace

// The classic two-way merge; on equal keys the second file's record goes first. An
// input that has run out compares above everything, so that the rest of the other
// input follows in its own order and the output holds every record once.
void mergeLogs(Logbook& lb, OutputFile& out) {
  RecordFile firstFile, secondFile;
  openInput(lb, "What is the name of the first file to merge?", firstFile);
  openInput(lb, "What is the name of the second file to merge?", secondFile);
  MergeInput first(firstFile), second(secondFile);
  lb.console.printLineIn(palette::kBlinking, "Merging");
  while (!first.exhausted || !second.exhausted) {
    MergeInput& from = !first.exhausted && (second.exhausted || first.key < second.key) ? first : second;
    out.writeRecord(from.record);
    from.advance();
  }
}

}  // namespace kivo
