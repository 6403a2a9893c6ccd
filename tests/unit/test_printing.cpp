#include <gtest/gtest.h>

#include "logbook/records/printing.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo {
using testing::contact;
using testing::logOf;
using testing::readFile;
using testing::Station;

namespace {

const std::string kHeader =
    "  DATE     FREQ    MODE PWR  TIME  STATION WORKED  SN  RD  TOFF  COUNTRY     SR  COMMENTS\r\n";

std::string linesOf(int first, int last) {
  std::string out;
  for (int n = first; n <= last; ++n) out += printLine(contact("Q" + std::to_string(n)));
  return out;
}

std::string printed(int contacts, int homeDowns = -1) {
  Station s(logOf(contacts));
  if (homeDowns >= 0) s.terminal.ext(keys::kHome);
  for (int i = 0; i < homeDowns; ++i) s.terminal.ext(keys::kDown);
  s.terminal.ext(keys::kF4);
  s.run();
  EXPECT_EQ(s.log(), logOf(contacts));
  return readFile("LPT1.PRN");
}

}  // namespace

TEST(Printing, ALineIsEveryFieldAtFullWidthInOneHundredEighteenCharacters) {
  EXPECT_EQ(printLine(contact("Q1")),
            "01 JAN 26 14.02500 CW   100  1200 Q1               599 599 1201 USA             " + std::string(38, ' ') +
                "\r\n");
  // Fields that an importer padded with 0x00 go to the printer as those bytes.
  LogRecord r = contact("K1ABC");
  r.setZeroPadded(Field::STATION, "K1ABC");
  r.setZeroPadded(Field::COMMENTS, "HI");
  std::string line = printLine(r);
  EXPECT_EQ(line.size(), 120u);
  EXPECT_EQ(line.substr(34, 17), std::string("K1ABC") + std::string(11, '\0') + " ");
  EXPECT_EQ(line.substr(80, 40), "HI" + std::string(36, '\0') + "\r\n");
}

TEST(Printing, PagesOfFiftyContactsBetweenControlBytes) {
  // From the new-contact line nothing but the control bytes.
  EXPECT_EQ(printed(3), "\x0F\x12\x0C");
  EXPECT_EQ(printed(50, 0), "\x0F" + kHeader + linesOf(1, 50) +
                                "\x0C"
                                "\x12\x0C");
  EXPECT_EQ(printed(51, 0), "\x0F" + kHeader + linesOf(1, 50) + "\x0C" + kHeader + linesOf(51, 51) + "\x12\x0C");
}

TEST(Printing, FromTheCurrentLineAsStoredWithoutSavingIt) {
  Station s(logOf(5));
  testing::writeFile("LPT1.PRN", std::string(5000, 'x'));  // each print starts the file anew
  s.terminal.ext(keys::kHome).ext(keys::kDown).ext(keys::kDown).type("7").ext(keys::kF4);
  s.run();
  EXPECT_EQ(readFile("LPT1.PRN"), "\x0F" + kHeader + linesOf(3, 5) + "\x12\x0C");
  EXPECT_EQ(s.text(6, 1, 9), "71 JAN 26");  // the change waits on the screen
  EXPECT_EQ(s.log(), logOf(5));
  EXPECT_EQ(s.lb.record, contact("Q3"));
}

}  // namespace kivo
