#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "logbook/frame/realtime.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"

namespace kivo {
using testing::Station;
using testing::writeFile;

namespace {

// What the fill makes of a transfer file: the mode it stores and the power it writes.
std::pair<std::string, std::string> fillOf(const std::string& transfer, bool markAS = false) {
  Station s;
  writeFile("RIGXFER.OUT", transfer);
  EXPECT_TRUE(readTransferFile(s.lb));
  return {s.lb.radio.mode, radioPower(s.lb.radio, markAS)};
}

std::string clockText(LocalTime t, int tz) {
  LogClock c = shiftedClock(t, tz);
  return logDate(c) + " " + logTime(c);
}

}  // namespace

TEST(RadioFill, PowerFollowsModeBandAndTheHighPowerMark) {
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(fillOf("14.02500\r\nUSB\r\n"), P("SSB ", ""));
  EXPECT_EQ(fillOf("7.0350\nRTTY\n"), P("RTTY", "60  "));
  EXPECT_EQ(fillOf("7.0350\nRTTY HP\n"), P("RTTY", "600 "));  // seven characters: high power
  EXPECT_EQ(fillOf("7.0350\nRTTY H\n"), P("RTTY", "60  "));   // six are not enough
  EXPECT_EQ(fillOf("10.136\nFT8 AMP\n"), P("FT8 ", "200 "));
  EXPECT_EQ(fillOf("10.15\nFT8 AMP\n"), P("FT8 ", "700 "));  // the 30 m rule ends below 10.15
  EXPECT_EQ(fillOf("14.074\nFT8 AMP\n"), P("FT8 ", "700 "));
  EXPECT_EQ(fillOf("14.074\nFT8 AMP\n", true), P("FT8 ", "250 "));
  EXPECT_EQ(fillOf("14.000\nCW     X\n"), P("CW  ", "1000"));
  EXPECT_EQ(fillOf("144.300\nFM     X\n"), P("FM  ", "25  "));
  EXPECT_EQ(fillOf("432.100\nLSB\n"), P("SSB ", "16  "));
  EXPECT_EQ(fillOf("0.4750\nCW     X\n"), P("CW  ", "60  "));
  EXPECT_EQ(fillOf("abc\nDATA\n"), P("DATA", "40  "));  // not a number: 0 MHz
}

TEST(RadioFill, TheLastCompletePairCountsAndFailuresKeepTheLastValues) {
  Station s;
  writeFile("RIGXFER.OUT", "3.5\nCW\n7.1\nUSB\n21.0123456789\nRTTY\n28.5");
  ASSERT_TRUE(readTransferFile(s.lb));
  EXPECT_EQ(s.lb.radio.freq, "21.01234");
  EXPECT_EQ(s.lb.radio.mode, "RTTY");
  EXPECT_EQ(s.terminal.pausedMs(), 0);
  // Caught while rewritten (empty), then gone: the values stay, after five tries 0.2 s apart.
  writeFile("RIGXFER.OUT", "");
  EXPECT_TRUE(readTransferFile(s.lb));
  std::remove("RIGXFER.OUT");
  EXPECT_FALSE(readTransferFile(s.lb));
  EXPECT_EQ(s.terminal.pausedMs(), 5 * 200);
  EXPECT_EQ(s.lb.radio.freq, "21.01234");
  EXPECT_EQ(s.lb.radio.mode, "RTTY");
}

TEST(ClockFill, TimeZoneShiftTurnsDayMonthAndYear) {
  EXPECT_EQ(clockText({2028, 2, 28, 21, 30, 0}, 5), "29 FEB 28 0230");
  EXPECT_EQ(clockText({2027, 2, 28, 21, 30, 0}, 5), "01 MAR 27 0230");
  EXPECT_EQ(clockText({2027, 1, 1, 2, 10, 0}, -5), "31 DEC 26 2110");
  EXPECT_EQ(clockText({2028, 3, 1, 2, 0, 0}, -3), "29 FEB 28 2300");
  EXPECT_EQ(clockText({2099, 12, 31, 23, 5, 0}, 1), "01 JAN 00 0005");
  // A shift of more than a day is taken whole; any TZ= gives a valid hour.
  EXPECT_EQ(clockText({2026, 12, 30, 12, 0, 0}, 48), "01 JAN 27 1200");
  LogClock c = shiftedClock({2026, 12, 6, 12, 0, 0}, INT_MIN);
  EXPECT_TRUE(c.hour >= 0 && c.hour <= 23 && c.day >= 1 && c.day <= 31);
}

TEST(RealTime, LeavingTheCallsignFillsTheLineFromRadioAndClock) {
  Station s(testing::logOf(1), "TZ=-5");
  writeFile("RIGXFER.OUT", "14.02500\r\nUSB\r\n");
  s.terminal.ext(keys::kAltA).clock({2027, 1, 1, 2, 10, 0}).type("w1aw").key(keys::kTab);
  s.run();
  EXPECT_EQ(s.text(5, 1, 64),
            "31 DEC 26\xff"
            "14.02500\xffSSB \xff"
            "100 \xff"
            "2110\xffW1AW            \xff"
            "59 \xff"
            "59 \xff"
            "2110\xff");
  EXPECT_EQ(s.text(5, 65, 76), "USA         ");
  EXPECT_EQ(s.screen().cursorRow(), 24);
  s.terminal.key(keys::kEnter);
  s.run();
  EXPECT_EQ(s.record(2).get(Field::MODE), "SSB ");
  EXPECT_EQ(s.record(2).get(Field::DATE), "31 DEC 26");
  // With BM= the fill never writes the power.
  Station t("", "BM=");
  writeFile("RIGXFER.OUT", "7.0350\nRTTY HP\n");
  t.terminal.ext(keys::kAltA).type("dl1x").key(keys::kTab);
  t.run();
  EXPECT_EQ(t.text(4, 20, 28),
            "RTTY\xff"
            "100 ");
  EXPECT_EQ(t.text(24, 1, 4), "@BM ");
}

TEST(AutoLog, StationFromTheCommandLineOnTheFirstScreen) {
  Station s(testing::logOf(2), "S=K1ABC NICE QSO");
  s.run();
  EXPECT_EQ(s.text(6, 1, 9), "06 DEC 26");
  EXPECT_EQ(s.text(6, 30, 33), "1200");
  EXPECT_EQ(s.text(6, 35, 50), "K1ABC           ");
  EXPECT_EQ(s.text(6, 65, 67), "USA");
  EXPECT_EQ(s.text(24, 1, 10), "NICE QSO  ");
  EXPECT_FALSE(s.lb.autoLog.pending);
  s.terminal.key(keys::kEnter);
  s.run();
  EXPECT_EQ(s.record(3).get(Field::STATION), "K1ABC           ");
  EXPECT_EQ(s.record(3).get(Field::COMMENTS).substr(0, 9), "NICE QSO ");
}

TEST(AutoLog, DropFileIsReadUpperCasedAndDeleted) {
  Station s(testing::logOf(2));
  writeFile("KIVOLOG.IN", "dl1abc hello there\r\n");
  s.terminal.key(keys::kEnter);  // any Enter looks for the file
  s.run();
  EXPECT_FALSE(testing::exists("KIVOLOG.IN"));
  EXPECT_EQ(s.text(6, 35, 51), "DL1ABC          \xff");
  EXPECT_EQ(s.text(6, 65, 71), "GERMANY");
  EXPECT_EQ(s.text(24, 1, 12), "HELLO THERE ");
  // Without a blank the line is the callsign alone; an over-long one stays in its field.
  writeFile("KIVOLOG.IN", "w1aw" + std::string(100, 'x') + " " + std::string(100, 'y'));
  s.terminal.key(keys::kEnter);
  s.run();
  EXPECT_EQ(s.record(3).get(Field::COMMENTS).substr(0, 12), "HELLO THERE ");
  EXPECT_EQ(s.text(7, 35, 51), "W1AWXXXXXXXXXXXX\xff");
  EXPECT_EQ(s.text(24, 38, 40),
            "Y\xff"
            "C");
  // A file without any line names no station.
  writeFile("KIVOLOG.IN", "");
  s.terminal.key(keys::kEnter);
  s.run();
  EXPECT_FALSE(testing::exists("KIVOLOG.IN"));
  EXPECT_EQ(s.text(8, 35, 50), std::string(16, ' '));
}

TEST(AutoLog, DropFileInRealTimeModeFillsOnlyTheRadioValues) {
  Station s(testing::logOf(1));
  writeFile("RIGXFER.OUT", "7.074\nFT8\n");
  writeFile("KIVOLOG.IN", "q1qq hello");
  s.terminal.ext(keys::kAltA).key(keys::kEnter);
  s.run();
  EXPECT_EQ(s.text(5, 1, 34),
            "06 DEC 26\xff"
            "7.074   \xff"
            "FT8 \xff"
            "40  \xff"
            "1200\xff");
  EXPECT_EQ(s.text(5, 35, 50), std::string(16, ' '));
  EXPECT_FALSE(s.lb.autoLog.pending);
  EXPECT_EQ(s.lb.autoLog.text, "");  // the dropped station's comment goes with it
  s.terminal.ext(keys::kUp);
  s.run();
  EXPECT_EQ(s.log(), testing::logOf(1));  // a line without a callsign is not written
}

}  // namespace kivo
