#include <gtest/gtest.h>
#include <hamlib/rig.h>

#include <cmath>
#include <sstream>

#include "common/fatal.h"
#include "logbook/frame/realtime.h"
#include "tests/support/file_bytes.h"
#include "tests/support/records.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"
#include "tools/rigxfer/options.h"
#include "tools/rigxfer/radio_link.h"
#include "tools/rigxfer/transfer_file.h"
#include "tools/rigxfer/transfer_text.h"

namespace kivo {
using testing::readFile;
using testing::Station;
using testing::writeFile;

// Every mode line as the logbook's own reader takes it: the mode it stores, and the
// high-power mark only where it was asked for.
TEST(RigxferText, ModesFoldIntoTheLogbooksCodesAndTheMarkIsSeen) {
  struct Case {
    double hz;
    const char* mode;
    bool high;
    const char* text;
    const char* logMode;
  };
  const Case cases[] = {
      {14074000, "PKTUSB", false, "14.07400\nDATA\n", "DATA"},
      {14074000, "PKTUSB", true, "14.07400\nDATA   H\n", "DATA"},
      {7035000, "RTTY", true, "7.03500\nRTTY   H\n", "RTTY"},
      {3510000, "CWR", false, "3.51000\nCW\n", "CW  "},
      {14250000, "USB", true, "14.25000\nUSB    H\n", "SSB "},
      {145500000, "FMN", false, "145.50000\nFM\n", "FM  "},
      {1296200000, "FM-D", false, "1296.20000\nDATA\n", "DATA"},
      {6000000, "SAM", false, "6.00000\nAM\n", "AM  "},
      {432100000, "NXDN-VN", false, "432.10000\nNXDN-V\n", "NXDN"},  // cut: it must not read as the mark
      {432100000, "NXDN-VN", true, "432.10000\nNXDN-V H\n", "NXDN"},
      {438000000, "dPMR", false, "438.00000\nDPMR\n", "DPMR"},
      {475500, "", false, "0.47550\n\n", "    "},
      {475500, "", true, "0.47550\n       H\n", "    "},
      {14074004.9, "USB", false, "14.07400\nUSB\n", "SSB "},
      {0, "CW", false, "0.00000\nCW\n", "CW  "},
  };
  Station s;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + (c.high ? " high" : ""));
    ASSERT_EQ(transferText(c.hz, c.mode, c.high), c.text);
    writeFile("RIGXFER.OUT", c.text);
    ASSERT_TRUE(readTransferFile(s.lb));
    EXPECT_EQ(s.lb.radio.mode, c.logMode);
    EXPECT_EQ(s.lb.radio.highPower, c.high);
  }
  for (double hz : {-1.0, std::nan(""), HUGE_VAL, 1e12}) EXPECT_EQ(transferText(hz, "USB", false), "") << hz;
}

TEST(RigxferOptions, ShortLongAndJoinedFormsAndTheirErrors) {
  std::string error;
  RigxferOptions o = parseRigxferOptions({"-m", "1035", "-r/dev/ttyUSB0", "--serial-speed=38400", "--interval", "1000",
                                          "-o", "/tmp/X.OUT", "-H", "--once"},
                                         error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(o.model, 1035);
  EXPECT_EQ(o.rigPath, "/dev/ttyUSB0");
  EXPECT_EQ(o.serialSpeed, 38400);
  EXPECT_EQ(o.intervalMs, 1000);
  EXPECT_EQ(o.output, "/tmp/X.OUT");
  EXPECT_TRUE(o.highPower && o.once);
  o = parseRigxferOptions({}, error);
  EXPECT_TRUE(error.empty() && o.model == 2 && o.rigPath.empty() && o.output == "RIGXFER.OUT" && o.intervalMs == 250);
  EXPECT_EQ(parseRigxferOptions({"-i", "5", "--help"}, error).action, RigxferOptions::Action::kRun);  // error first
  EXPECT_EQ(parseRigxferOptions({"-H", "--version"}, error).action, RigxferOptions::Action::kVersion);

  const std::pair<std::vector<std::string>, std::string> wrong[] = {
      {{"-m"}, "--model needs a value"},
      {{"-m", "x"}, "-m needs a hamlib radio model number"},
      {{"-m", "99999999999999999999"}, "-m needs a hamlib radio model number"},
      {{"-i", "9"}, "-i needs a poll interval of 10 to 3600000 ms"},
      {{"-r", ""}, "-r needs a device or a rigctld address"},
      {{"--output="}, "-o needs a file name"},
      {{"--model2"}, "unknown option --model2"},
      {{"RIGXFER.OUT"}, "unexpected argument RIGXFER.OUT"},
  };
  for (const auto& [args, message] : wrong) {
    parseRigxferOptions(args, error);
    EXPECT_EQ(error, message) << args[0];
  }
}

TEST(RigxferFile, RewrittenOnlyForNewValuesAndEachOutageToldOnce) {
  testing::TempDir dir;
  std::ostringstream err;
  TransferFile file("RIGXFER.OUT", false, err);
  file.silent("IO error");  // no radio at the start: nothing is written
  EXPECT_FALSE(testing::exists("RIGXFER.OUT"));
  ASSERT_TRUE(file.answered({14074000, "USB"}));
  EXPECT_EQ(readFile("RIGXFER.OUT"), "14.07400\nUSB\n");
  // The same values again leave the file alone (a stand-in shows that it was not replaced).
  writeFile("RIGXFER.OUT", "stand-in");
  ASSERT_TRUE(file.answered({14074000, "USB"}));
  EXPECT_EQ(readFile("RIGXFER.OUT"), "stand-in");
  ASSERT_TRUE(file.answered({7010000, "CWR"}));
  EXPECT_EQ(readFile("RIGXFER.OUT"), "7.01000\nCW\n");
  for (int k = 0; k < 3; ++k) file.silent("Communication timed out");
  EXPECT_FALSE(file.answered({std::nan(""), "CW"}));  // no frequency is no answer either
  EXPECT_EQ(readFile("RIGXFER.OUT"), "7.01000\nCW\n");
  ASSERT_TRUE(file.answered({7010000, "CW"}));
  EXPECT_FALSE(file.answered({-5, "CW"}));
  EXPECT_EQ(err.str(),
            "rigxfer: the radio does not answer (IO error); RIGXFER.OUT is left as it is\n"
            "rigxfer: the radio answers again\n"
            "rigxfer: the radio does not answer (Communication timed out); RIGXFER.OUT is left as it is\n"
            "rigxfer: the radio answers again\n"
            "rigxfer: the radio does not answer (it reported -5 Hz); RIGXFER.OUT is left as it is\n");
  EXPECT_EQ(readFile("RIGXFER.OUT"), "7.01000\nCW\n");
  TransferFile lost("gone/RIGXFER.OUT", false, err);
  try {
    lost.answered({7010000, "CW"});
    FAIL() << "a file that cannot be written was taken as written";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
}

// hamlib's dummy radio in this process, tuned through hamlib, one look by rigxfer's
// code, and the logbook's real-time fill takes the values from the real file.
TEST(RigxferDummyRadio, TheLoggedContactHoldsTheRadiosFrequencyModeAndPower) {
  RigxferOptions options;
  options.model = RIG_MODEL_DUMMY;
  RadioLink radio(options);
  std::string why;
  ASSERT_TRUE(radio.open(why)) << why;
  struct Case {
    freq_t hz;
    rmode_t mode;
    bool high;
    const char* freq;
    const char* logMode;
    const char* power;
    const char* report;
  };
  const Case cases[] = {
      {14074000, RIG_MODE_PKTUSB, true, "14.07400", "DATA", "700 ", "599"},
      {7010000, RIG_MODE_CWR, false, "7.01000 ", "CW  ", "100 ", "599"},
      {3750000, RIG_MODE_LSB, false, "3.75000 ", "SSB ", "100 ", "59 "},
      {144300000, RIG_MODE_USB, true, "144.3000", "SSB ", "25  ", "59 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logMode);
    Station s(testing::logOf(1));
    ASSERT_EQ(rig_set_freq(radio.rig(), RIG_VFO_CURR, c.hz), RIG_OK);
    ASSERT_EQ(rig_set_mode(radio.rig(), RIG_VFO_CURR, c.mode, RIG_PASSBAND_NOCHANGE), RIG_OK);
    std::ostringstream err;
    TransferFile file("RIGXFER.OUT", c.high, err);
    ASSERT_TRUE(pollRadio(radio, file));
    s.terminal.ext(keys::kAltA).type("w1aw").key(keys::kTab).key(keys::kEnter);
    s.run();
    const LogRecord r = s.record(2);
    EXPECT_EQ(r.get(Field::STATION), "W1AW            ");
    EXPECT_EQ(r.get(Field::FREQ), c.freq);
    EXPECT_EQ(r.get(Field::MODE), c.logMode);
    EXPECT_EQ(r.get(Field::PWR), c.power);
    EXPECT_EQ(r.get(Field::SN), c.report);
    EXPECT_EQ(r.get(Field::RD), c.report);
    EXPECT_EQ(err.str(), "");
  }
}

}  // namespace kivo
