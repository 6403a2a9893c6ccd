#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/key_decoder.h"

namespace kivo {
namespace {

using Keys = std::vector<std::string>;

std::string ext(unsigned char scan) { return keys::extended(scan); }

// Everything a decoder yields once time has run out for any unfinished sequence.
Keys drain(KeyDecoder& d, int64_t nowMs) {
  Keys out;
  for (std::string k = d.nextKey(nowMs); !k.empty(); k = d.nextKey(nowMs)) out.push_back(k);
  return out;
}

Keys decode(std::string_view bytes, bool utf8 = true) {
  KeyDecoder d(utf8);
  d.feed(bytes, 0);
  return drain(d, 10000);
}

TEST(KeyDecoder, PlainKeysAreOneByte) {
  EXPECT_EQ(decode("aZ1 ~"), (Keys{"a", "Z", "1", " ", "~"}));
  EXPECT_EQ(decode("\r"), Keys{"\r"});
  EXPECT_EQ(decode("\n"), Keys{"\r"});  // Ctrl-J and terminals that send LF
  EXPECT_EQ(decode("\x7f"), Keys{"\b"});
  EXPECT_EQ(decode("\b"), Keys{"\b"});
  EXPECT_EQ(decode("\t"), Keys{"\t"});
  EXPECT_EQ(decode("\x01\x13"), (Keys{"\x01", "\x13"}));  // Ctrl-A, and Ctrl-S without flow control
  EXPECT_EQ(decode(std::string("\0", 1)), Keys{});
}

TEST(KeyDecoder, CursorAndFunctionKeysOfEveryTerminalFamily) {
  struct Case {
    const char* bytes;
    unsigned char scan;
  };
  const Case cases[] = {
      // xterm and tmux, normal and application cursor mode
      {"\x1b[A", keys::kUp},
      {"\x1b[B", keys::kDown},
      {"\x1b[C", keys::kRight},
      {"\x1b[D", keys::kLeft},
      {"\x1b[H", keys::kHome},
      {"\x1b[F", keys::kEnd},
      {"\x1bOA", keys::kUp},
      {"\x1bOB", keys::kDown},
      {"\x1bOC", keys::kRight},
      {"\x1bOD", keys::kLeft},
      {"\x1bOH", keys::kHome},
      {"\x1bOF", keys::kEnd},
      {"\x1bOP", keys::kF1},
      {"\x1bOQ", keys::kF2},
      {"\x1bOR", keys::kF3},
      {"\x1bOS", keys::kF4},
      {"\x1b[15~", keys::kF5},
      {"\x1b[17~", keys::kF6},
      {"\x1b[Z", keys::kShiftTab},
      // the ~ family: xterm, screen, the Linux console, rxvt
      {"\x1b[1~", keys::kHome},
      {"\x1b[2~", keys::kInsert},
      {"\x1b[3~", keys::kDelete},
      {"\x1b[4~", keys::kEnd},
      {"\x1b[5~", keys::kPgUp},
      {"\x1b[6~", keys::kPgDn},
      {"\x1b[7~", keys::kHome},
      {"\x1b[8~", keys::kEnd},
      {"\x1b[11~", keys::kF1},
      {"\x1b[12~", keys::kF2},
      {"\x1b[13~", keys::kF3},
      {"\x1b[14~", keys::kF4},
      // the Linux console's function keys
      {"\x1b[[A", keys::kF1},
      {"\x1b[[B", keys::kF2},
      {"\x1b[[C", keys::kF3},
      {"\x1b[[D", keys::kF4},
      {"\x1b[[E", keys::kF5},
      // with modifiers: the key itself
      {"\x1b[1;2P", keys::kF1},
      {"\x1b[1;5A", keys::kUp},
      {"\x1b[1;3D", keys::kLeft},
      {"\x1b[3;2~", keys::kDelete},
      {"\x1b[15;5~", keys::kF5},
      {"\x1bO2Q", keys::kF2},
      {"\x1b[2$", keys::kInsert},
      {"\x1b[5^", keys::kPgUp},
      {"\x1b[6@", keys::kPgDn},
      {"\x1b[a", keys::kUp},
      {"\x1bOd", keys::kLeft},
      // rxvt's Alt with a cursor key
      {"\x1b\x1b[A", keys::kUp},
      {"\x1b\x1bOB", keys::kDown},
      {"\x1b\x1b[6~", keys::kPgDn},
  };
  for (const Case& c : cases) EXPECT_EQ(decode(c.bytes), Keys{ext(c.scan)}) << "bytes ESC" << (c.bytes + 1);
}

TEST(KeyDecoder, KeypadInApplicationModeGivesItsCharacters) {
  EXPECT_EQ(decode("\x1bOM"), Keys{"\r"});
  EXPECT_EQ(decode("\x1bOp\x1bOy\x1bOk\x1bOm"), (Keys{"0", "9", "+", "-"}));
}

TEST(KeyDecoder, RepliesAndUnknownSequencesGiveNoKeys) {
  EXPECT_EQ(decode("\x1b[12;40R"), Keys{});       // cursor position report
  EXPECT_EQ(decode("\x1b[?1;2c"), Keys{});        // device attributes
  EXPECT_EQ(decode("\x1b[200~"), Keys{});         // bracketed paste marker
  EXPECT_EQ(decode("\x1b[E\x1b[G"), Keys{});      // keypad 5
  EXPECT_EQ(decode("\x1b[I\x1b[Ox"), Keys{"x"});  // focus reports, then a key
}

// Alt with every letter, by the PC keyboard's table.
const char kAltOrder[] =
    "QWERTYUIOP"
    "ASDFGHJKL"
    "ZXCVBNM";
const unsigned char kAltScans[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1E, 0x1F, 0x20,
                                   0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};

TEST(KeyDecoder, AltLettersAsEscPrefix) {
  for (size_t i = 0; i < 26; ++i) {
    char upper = kAltOrder[i];
    char lower = static_cast<char>(upper - 'A' + 'a');
    EXPECT_EQ(decode(std::string("\x1b") + lower), Keys{ext(kAltScans[i])}) << lower;
    EXPECT_EQ(decode(std::string("\x1b") + upper), Keys{ext(kAltScans[i])}) << upper;
  }
}

TEST(KeyDecoder, AltLettersAsMetaBytes) {
  for (size_t i = 0; i < 26; ++i) {
    char upper = kAltOrder[i];
    auto lowerMeta = static_cast<char>(0x80 | (upper - 'A' + 'a'));
    auto upperMeta = static_cast<char>(0x80 | upper);
    EXPECT_EQ(decode(std::string(1, lowerMeta)), Keys{ext(kAltScans[i])}) << upper;
    EXPECT_EQ(decode(std::string(1, upperMeta)), Keys{ext(kAltScans[i])}) << upper;
    // Followed at once by another key, the meta byte cannot start a character.
    EXPECT_EQ(decode(std::string(1, lowerMeta) + "x"), (Keys{ext(kAltScans[i]), "x"})) << upper;
  }
  // A terminal that does not speak UTF-8: every high byte is a meta key.
  EXPECT_EQ(decode("\xe9", false), Keys{ext(0x17)});        // Alt-I
  EXPECT_EQ(decode("\xc3\xa9", false), (Keys{ext(0x2E)}));  // Alt-C; 0xA9 is no letter
}

TEST(KeyDecoder, Utf8CharactersBecomeTheirCodePageByte) {
  EXPECT_EQ(decode("\xc3\xa9"), Keys{"\x82"});                    // é
  EXPECT_EQ(decode("\xc3\x84\xc3\xb6"), (Keys{"\x8e", "\x94"}));  // Ä ö
  EXPECT_EQ(decode("\xe2\x94\x82"), Keys{"\xb3"});                // │
  EXPECT_EQ(decode("\xc2\xa0"), Keys{"\xff"});                    // no-break space
  EXPECT_EQ(decode("\xe2\x82\xac"
                   "a"),
            Keys{"a"});  // € has no byte: ignored
  EXPECT_EQ(decode("\xf0\x9f\x98\x80"
                   "b"),
            Keys{"b"});  // an emoji: ignored
  // Overlong and surrogate forms are not characters.
  EXPECT_EQ(decode("\xe0\x80\x80"), Keys{});
  // ... so their lead byte is a meta key like any other (0xED: Alt-M).
  EXPECT_EQ(decode("\xed\xa0\x80"), Keys{ext(0x32)});
}

// A locale without a character set (LANG=C) says nothing of the terminal: UTF-8 where
// the bytes form it, else Latin-1; either way the code page's byte, or nothing.
TEST(KeyDecoder, LocaleWithoutCharsetTakesUtf8ElseLatin1) {
  EXPECT_EQ(highBytesForCodeset("UTF-8"), HighBytes::kUtf8);
  EXPECT_EQ(highBytesForCodeset("ANSI_X3.4-1968"), HighBytes::kUtf8OrLatin1);
  EXPECT_EQ(highBytesForCodeset("ISO-8859-15"), HighBytes::kMeta);
  struct Case {
    std::string bytes;
    Keys keys;
  };
  const Case cases[] = {
      {"\xe9", {"\x82"}},                          // Latin-1 é
      {"\xe1\xe4", {"\xa0", "\x84"}},              // á ä: letters, never Alt-A and Alt-D
      {"\xfc\xdf", {"\x81", "\xe1"}},              // ü ß
      {"\xe9x", {"\x82", "x"}},                    // é, then a key that is no part of it
      {"\xc3\xa9", {"\x82"}},                      // é in UTF-8
      {"\xc3\xbc\xe2\x94\x82", {"\x81", "\xb3"}},  // ü │ in UTF-8, not Latin-1 pieces
      {"\xd5\xa4"
       "a",
       {"a"}},                 // Õ ¤: none in the code page
      {"\x85\x9b", {}},        // C1 controls
      {"\x1b\xe9", {"\x82"}},  // Alt with é
  };
  for (const Case& c : cases) {
    KeyDecoder d(HighBytes::kUtf8OrLatin1);
    d.feed(c.bytes, 0);
    EXPECT_EQ(drain(d, 10000), c.keys) << ::testing::PrintToString(c.bytes);
  }
}

TEST(KeyDecoder, CharacterSplitAcrossReads) {
  KeyDecoder d;
  d.feed("\xe2", 0);
  EXPECT_EQ(d.nextKey(5), "");
  d.feed("\x94", 10);
  d.feed("\x82", 20);
  EXPECT_EQ(d.nextKey(20), "\xb3");

  // When the rest never comes, the lead byte was a meta key after all.
  KeyDecoder late;
  late.feed("\xc3", 0);
  late.feed("\xa9", 100);
  EXPECT_EQ(drain(late, 200), Keys{ext(0x2E)});  // Alt-C, then a stray byte
}

TEST(KeyDecoder, LoneEscIsSettledByTime) {
  KeyDecoder d;
  d.feed("\x1b", 1000);
  EXPECT_EQ(d.nextKey(1000), "");
  EXPECT_EQ(d.nextKey(1000 + KeyDecoder::kEscWaitMs - 1), "");
  EXPECT_TRUE(d.pending());
  EXPECT_EQ(d.nextKey(1000 + KeyDecoder::kEscWaitMs), "\x1b");
  EXPECT_FALSE(d.pending());
}

TEST(KeyDecoder, EscFollowedQuicklyIsAltButLaterIsTwoKeys) {
  KeyDecoder quick;
  quick.feed("\x1b", 0);
  quick.feed("x", 10);
  EXPECT_EQ(drain(quick, 10), Keys{ext(0x2D)});

  // An Esc that waited past its time does not join a key read later, even when
  // nobody asked for keys in between.
  KeyDecoder slow;
  slow.feed("\x1b", 0);
  slow.feed("x", 40);
  EXPECT_EQ(drain(slow, 40), (Keys{"\x1b", "x"}));

  KeyDecoder twice;
  twice.feed("\x1b\x1b", 0);
  EXPECT_EQ(drain(twice, 0), Keys{});
  EXPECT_EQ(drain(twice, 100), (Keys{"\x1b", "\x1b"}));
}

TEST(KeyDecoder, EscOWaitsForItsKey) {
  KeyDecoder alt;
  alt.feed("\x1bO", 0);
  EXPECT_EQ(drain(alt, 5), Keys{});
  EXPECT_EQ(drain(alt, 100), Keys{ext(0x18)});  // Alt-O

  KeyDecoder f1;
  f1.feed("\x1bO", 0);
  f1.feed("P", 15);
  EXPECT_EQ(drain(f1, 15), Keys{ext(keys::kF1)});
}

TEST(KeyDecoder, StartedSequenceGetsLongerToArriveAndIsDroppedWhenItNeverDoes) {
  KeyDecoder d;
  d.feed("\x1b[", 0);
  d.feed("1;5", 100);
  EXPECT_EQ(d.nextKey(150), "");
  d.feed("C", 150);
  EXPECT_EQ(d.nextKey(150), ext(keys::kRight));

  KeyDecoder broken;
  broken.feed("\x1b[1;", 0);
  EXPECT_EQ(drain(broken, 1000), Keys{});
  broken.feed("q", 1000);
  EXPECT_EQ(drain(broken, 1000), Keys{"q"});
}

TEST(KeyDecoder, AltWithKeysThatHaveNoAltCodeGivesTheKey) {
  EXPECT_EQ(decode("\x1b"
                   "5"),
            Keys{"5"});
  EXPECT_EQ(decode("\x1b\r"), Keys{"\r"});
  EXPECT_EQ(decode("\x1b\x7f"), Keys{"\b"});
  EXPECT_EQ(decode("\x1b\xc3\xa9"), Keys{"\x82"});
}

// --- the mouse --------------------------------------------------------------------

std::string sgr(int b, int x, int y, char end = 'M') {
  return "\x1b[<" + std::to_string(b) + ";" + std::to_string(x) + ";" + std::to_string(y) + end;
}

std::string x10(int b, int x, int y) {
  return std::string("\x1b[M") + static_cast<char>(32 + b) + static_cast<char>(32 + x) + static_cast<char>(32 + y);
}

void expectMouse(const MouseState& m, int row, int column, bool left) {
  EXPECT_EQ(m.row, row);
  EXPECT_EQ(m.column, column);
  EXPECT_EQ(m.left, left);
}

TEST(KeyDecoder, SgrPressDragAndRelease) {
  KeyDecoder d;
  expectMouse(d.takeMouse(), 0, 0, false);
  d.feed(sgr(0, 10, 5), 0);
  expectMouse(d.takeMouse(), 4, 9, true);
  expectMouse(d.takeMouse(), 4, 9, true);  // still held
  d.feed(sgr(32, 20, 8), 10);              // dragged with the button down
  expectMouse(d.takeMouse(), 7, 19, true);
  d.feed(sgr(0, 21, 8, 'm'), 20);
  expectMouse(d.takeMouse(), 7, 20, false);
  EXPECT_EQ(drain(d, 1000), Keys{});  // reports are never keys
}

TEST(KeyDecoder, QuickClickBetweenTwoPollsIsSeenOnce) {
  KeyDecoder d;
  d.feed(sgr(0, 63, 3) + sgr(0, 63, 3, 'm'), 0);
  expectMouse(d.takeMouse(), 2, 62, true);
  expectMouse(d.takeMouse(), 2, 62, false);
  expectMouse(d.takeMouse(), 2, 62, false);
}

TEST(KeyDecoder, OtherButtonsAndTheWheelDoNotPressLeft) {
  KeyDecoder d;
  d.feed(sgr(2, 5, 6), 0);  // right button
  expectMouse(d.takeMouse(), 5, 4, false);
  d.feed(sgr(1, 7, 6) + sgr(1, 7, 6, 'm'), 10);  // middle click
  expectMouse(d.takeMouse(), 5, 6, false);
  d.feed(sgr(64, 8, 9) + sgr(65, 8, 9), 20);  // wheel
  expectMouse(d.takeMouse(), 8, 7, false);
  d.feed(sgr(16, 3, 3), 30);  // Ctrl with the left button is still the left button
  expectMouse(d.takeMouse(), 2, 2, true);
  d.feed(sgr(2, 3, 3, 'm'), 40);  // the right one going up leaves the left down
  EXPECT_TRUE(d.takeMouse().left);
}

TEST(KeyDecoder, ReportsSplitAcrossReadsAndMixedWithKeys) {
  KeyDecoder d;
  std::string press = "a" + sgr(0, 12, 3) + "b";
  for (size_t i = 0; i < press.size(); ++i) d.feed(press.substr(i, 1), static_cast<int64_t>(i));
  EXPECT_EQ(drain(d, 100), (Keys{"a", "b"}));
  expectMouse(d.takeMouse(), 2, 11, true);

  std::string old = x10(3, 40, 20);
  d.feed(old.substr(0, 4), 200);
  expectMouse(d.takeMouse(), 2, 11, true);
  d.feed(old.substr(4), 210);
  expectMouse(d.takeMouse(), 19, 39, false);
}

TEST(KeyDecoder, X10AndUrxvtReports) {
  KeyDecoder d;
  d.feed(x10(0, 10, 5), 0);
  expectMouse(d.takeMouse(), 4, 9, true);
  d.feed(x10(32, 11, 6), 10);  // drag
  expectMouse(d.takeMouse(), 5, 10, true);
  d.feed(x10(3, 11, 6), 20);  // release
  expectMouse(d.takeMouse(), 5, 10, false);
  d.feed("\x1b[32;30;4M", 30);
  expectMouse(d.takeMouse(), 3, 29, true);
  d.feed("\x1b[35;30;4M", 40);
  expectMouse(d.takeMouse(), 3, 29, false);
  // Coordinates beyond what X10 can say never turn negative.
  d.feed(std::string("\x1b[M\x20\x01\x01", 6), 50);
  expectMouse(d.takeMouse(), 0, 0, true);
  EXPECT_EQ(drain(d, 1000), Keys{});
}

TEST(KeyDecoder, MalformedReportsGiveNoMouseAndNoCrash) {
  KeyDecoder d;
  d.feed("\x1b[<0;5M", 0);  // two numbers only
  d.feed("\x1b[<0;1;2;3M", 0);
  d.feed("\x1b[<99999999999999;99999999999;9999999999M", 0);
  d.feed(sgr(0, 0, 0), 0);
  drain(d, 1000);
  MouseState m = d.takeMouse();
  EXPECT_GE(m.row, 0);
  EXPECT_GE(m.column, 0);
}

// --- robustness -------------------------------------------------------------------

TEST(KeyDecoder, RandomBytesNeverCrashAndTheDecoderRecovers) {
  std::mt19937 rng(4711);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> chunk(1, 40);
  std::uniform_int_distribution<int> bias(0, 9);
  const char special[] = "\x1b[O<;M0123456789~$";
  KeyDecoder d;
  int64_t now = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    int n = chunk(rng);
    for (int i = 0; i < n; ++i) {
      // Mostly bytes that start or continue sequences, so the odd paths are walked.
      int b = bias(rng) < 6 ? special[static_cast<size_t>(byte(rng)) % (sizeof special - 1)] : byte(rng);
      bytes.push_back(static_cast<char>(b));
    }
    now += chunk(rng) % 30;
    d.feed(bytes, now);
    for (std::string k = d.nextKey(now); !k.empty(); k = d.nextKey(now)) {
      ASSERT_TRUE(k.size() == 1 || (k.size() == 2 && k[0] == '\0'));
    }
    MouseState m = d.takeMouse();
    ASSERT_GE(m.row, 0);
    ASSERT_GE(m.column, 0);
  }
  drain(d, now + 1000);
  EXPECT_FALSE(d.pending());
  d.feed("\x1b[B", now + 2000);
  EXPECT_EQ(drain(d, now + 2000), Keys{ext(keys::kDown)});
}

TEST(KeyDecoder, EndlessSequencesAndFloodsAreBounded) {
  KeyDecoder d;
  d.feed("\x1b[" + std::string(100000, '1'), 0);
  EXPECT_EQ(drain(d, 1000), Keys{});  // neither a key nor the digits as typed text
  EXPECT_FALSE(d.pending());
  d.feed("\x1b[<" + std::string(100000, '7') + "M" + "z", 2000);
  EXPECT_EQ(drain(d, 3000), Keys{"z"});

  KeyDecoder flood;
  flood.feed(std::string(5000, 'a'), 0);
  EXPECT_EQ(drain(flood, 0).size(), KeyDecoder::kMaxQueuedKeys);
}

}  // namespace
}  // namespace kivo
