#include <gtest/gtest.h>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/startup.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo {
using testing::entityLine;
using testing::readFile;
using testing::recordBytes;
using testing::Station;
using testing::writeFile;

namespace {

std::string shown(const LogRecord& r, Field f) {
  std::string t = r.get(f);
  for (char& c : t) c = c == '\0' ? ' ' : c;
  return t;
}

// The line of the contact's entity: by its name, or by the contact's tag.
bool isContactsLine(const std::string& line, const std::string& country, const std::string& tag) {
  return isEntityLine(line) && (entityNameOf(line) == country || hasTag(line, tag));
}

void markCells(Logbook& lb, std::string& line) {
  for (int k = 1; k <= kCategoryCount; ++k)
    if (categoryApplies(lb.record, k)) applyMark(lb, line[static_cast<size_t>(markColumn(k) - 1)]);
}

// The worked-table update as first written: WORKED.CFM read from its start for
// every record, line by line, each changed line written back at once. The award
// rules are the logbook's own: what is compared is the way the table is kept.
void plainUpdate(Logbook& lb) {
  const std::string country = shown(lb.record, Field::COUNTRY), comments = shown(lb.record, Field::COMMENTS);
  if (country[0] == ' ' || country.find('?') != std::string::npos) return;
  lb.tables.workedUpdated = false;
  const float mhz = static_cast<float>(parseNumber(lb.record.get(Field::FREQ)));
  if (comments.find('#') != std::string::npos && mhz > 49.9f) updateGridTable(lb);
  const std::string tag = contactTag(comments);
  std::string bytes = readFile("WORKED.CFM");
  size_t start = 0;
  while (!lb.tables.workedUpdated && start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end;
    size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
    std::string line = bytes.substr(start, stop - start);
    if (isContactsLine(line, country, tag)) {
      const bool byName = entityNameOf(line) == country;
      markCells(lb, line);
      if (lb.tables.workedUpdated) {
        bytes.replace(start, line.size(), line);
        writeFile("WORKED.CFM", bytes);
        if (byName && !tag.empty() && !hasTag(line, tag)) lb.tables.workedUpdated = false;
      }
    }
    start = end + 1;
  }
}

LogRecord varied(int i) {
  static const char* countries[] = {"USA", "GERMANY", "HAWAII", "NOWHERE", "?"};
  static const char* modes[] = {"CW", "SSB", "FT8", "FM"};
  static const char* freqs[] = {"14.025", "7.010", "50.1", "1.84", "21.2", "144.2"};
  static const char* srs[] = {"  ", " X", " L", "X ", " B"};
  static const char* comments[] = {"", "#FN31", "#FN42 QSL", " SAT", "$AK", "#JO50 $AK"};
  LogRecord r = testing::contact("Q" + std::to_string(i), "01 JAN 26", srs[i % 5], countries[i % 5 == 4 ? 4 : i % 4]);
  r.set(Field::MODE, modes[i % 4]);
  r.set(Field::FREQ, freqs[i % 6]);
  r.set(Field::PWR, i % 7 == 0 ? "5" : "100");
  r.set(Field::COMMENTS, comments[i % 6]);
  r.setSeparators();
  return r;
}

}  // namespace

// The update and confirmation runs keep WORKED.CFM in memory and scroll the page on
// the screen; the files and the screen they leave are those of the plain way.
TEST(ScrollRuns, SameFilesAndScreenAsTheRecordByRecordWay) {
  std::string log;
  for (int i = 1; i <= 44; ++i) log += recordBytes(varied(i));
  log += recordBytes(testing::contact("LAST", "01 JAN 26", "  ", "?"));  // leaves no message up
  const std::string worked = "TABLE\r\n" + entityLine("K", "USA") + "\r\n" + entityLine("DL", "GERMANY") + "\r\n" +
                             entityLine("KL7 $AK", "USA") + "\r\n" + entityLine("KH6", "HAWAII") +
                             "\r\nDELETED\r\nEND\r\n";
  for (unsigned char run : {keys::kAltU, keys::kAltL}) {
    std::string expectedLog, expectedWorked, expectedGrid;
    {
      Station ref(log);
      writeFile("WORKED.CFM", worked);
      startLogbook(ref.lb);
      for (long long n = 1; n <= 45; ++n) {
        ref.lb.record = testing::recordAt(log, n);
        uint8_t& sent = ref.lb.record.bytes[static_cast<size_t>(fieldInfo(Field::SR).offset)];
        if (run == keys::kAltL) sent = (sent == ' ' || sent == 'L') ? 'L' : 'B';
        expectedLog += recordBytes(ref.lb.record);
        plainUpdate(ref.lb);
      }
      expectedWorked = readFile("WORKED.CFM");
      expectedGrid = readFile("GRID.SQU");
    }
    Station s(log);
    writeFile("WORKED.CFM", worked);
    s.terminal.ext(keys::kHome).ext(run);
    s.run();
    ASSERT_EQ(s.lb.browse.currentRecord, 46);
    EXPECT_EQ(s.log(), expectedLog);
    EXPECT_EQ(readFile("WORKED.CFM"), expectedWorked);
    EXPECT_EQ(readFile("GRID.SQU"), expectedGrid);
    EXPECT_EQ(s.lb.tables.workedCache, nullptr);  // kept for the run only
    // The screen is the one the logbook shows when started on what the run left, but
    // for the date of the new-contact line: the page was drawn down to the record
    // below the log, so the record buffer is empty and so is the date.
    Station fresh(s.log());
    writeFile("WORKED.CFM", expectedWorked);
    fresh.run();
    EXPECT_EQ(s.text(23, 1, 9), std::string(9, '\0'));
    for (int r = 1; r <= 25; ++r)
      for (int c = r == 23 ? 10 : 1; c <= 80; ++c)
        ASSERT_EQ(s.screen().cellAt(r, c), fresh.screen().cellAt(r, c)) << r << "," << c;
  }
}

}  // namespace kivo
