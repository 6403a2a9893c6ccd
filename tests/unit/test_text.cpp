#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>

#include "common/console.h"
#include "common/fatal.h"
#include "common/text.h"

namespace kivo {

TEST(Text, ParseNumberTakesTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(parseNumber("14.02500"), 14.025);
  EXPECT_DOUBLE_EQ(parseNumber("  07.0250 "), 7.025);
  EXPECT_DOUBLE_EQ(parseNumber("\t-5"), -5);
  EXPECT_DOUBLE_EQ(parseNumber("+2.5xyz"), 2.5);
  EXPECT_DOUBLE_EQ(parseNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(parseNumber("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(parseNumber("X"), 0);
  EXPECT_DOUBLE_EQ(parseNumber(""), 0);
  EXPECT_DOUBLE_EQ(parseNumber("-"), 0);
  // A 0x00 byte ends the text, as in a zero-padded field.
  EXPECT_DOUBLE_EQ(parseNumber(std::string("14\0"
                                           "99",
                                           5)),
                   14);
  EXPECT_DOUBLE_EQ(parseNumber(std::string("\0"
                                           "7",
                                           2)),
                   0);
  // Exactly the nearest double, as a band edge must compare.
  EXPECT_EQ(parseNumber("0.3"), 0.3);
  EXPECT_EQ(parseNumber("10.15"), 10.15);
  EXPECT_EQ(parseNumber("5."), 5.0);
}

TEST(Text, RoundsHalfToEven) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(-3.5), -4);
  EXPECT_EQ(roundHalfEven(2.4999), 2);
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(1e300), 9000000000000000000LL);
}

TEST(Text, UpperCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(upperCase("f=c:\\ham\\log92.dat"), "F=C:\\HAM\\LOG92.DAT");
  EXPECT_EQ(upperCase("\x87\xff"
                      "a"),
            "\x87\xff"
            "A");
}

TEST(Text, BasicNumberHasASignPosition) {
  EXPECT_EQ(basicNumber(0), " 0");
  EXPECT_EQ(basicNumber(338), " 338");
  EXPECT_EQ(basicNumber(-5), "-5");
}

TEST(Text, RuntimeErrorMessages) {
  EXPECT_EQ(errorMessage(RuntimeError(2, "")), "Aborting due to runtime error 2 (file not found)");
  EXPECT_EQ(errorMessage(RuntimeError(1, "")), "Aborting due to runtime error 1 (illegal function call)");
  EXPECT_EQ(errorMessage(RuntimeError(3, "write LOG.DAT")),
            "Aborting due to runtime error 3 (file I/O error) in write LOG.DAT");
  EXPECT_EQ(errorMessage(RuntimeError(4, "")), "Aborting due to runtime error 4 (out of memory)");
}

TEST(InputItems, FirstItemOfALine) {
  EXPECT_EQ(firstInputItem("  \tK1ABC, rest"), "K1ABC");
  EXPECT_EQ(firstInputItem("word   "), "word");
  EXPECT_EQ(firstInputItem("\" quoted, with comma \" tail, next"), " quoted, with comma ");
  EXPECT_EQ(firstInputItem("\"unclosed"), "unclosed");
  EXPECT_EQ(firstInputItem(""), "");
  EXPECT_EQ(firstInputItem(std::string(5000, 'x')).size(), 4096u);
}

TEST(InputItems, ItemsOfAFileRunAcrossCommasAndLines) {
  InputItemReader r("\"A\"\r\nB, C\n\n  \"D,E\" junk,F\nlast");
  std::string item;
  std::vector<std::string> got;
  while (r.next(item)) got.push_back(item);
  EXPECT_EQ(got, (std::vector<std::string>{"A", "B", "C", "", "D,E", "F", "last"}));
}

// Numbers with a point of up to 15 digits are divided out by a power of ten; the
// result must be the nearest double, bit for bit, as the full conversion gives.
TEST(Text, ParseNumberShortDecimalsAreTheNearestDouble) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 15);
    std::string text = std::to_string(random() % 1000000000000000ull).substr(0, static_cast<size_t>(digits));
    text.insert(random() % (text.size() + 1), ".");
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::fixed);
    ASSERT_EQ(std::bit_cast<uint64_t>(parseNumber(text)), std::bit_cast<uint64_t>(expected)) << text;
    ASSERT_EQ(std::bit_cast<uint64_t>(parseNumber("-" + text)), std::bit_cast<uint64_t>(-expected)) << text;
  }
  EXPECT_EQ(std::bit_cast<uint64_t>(parseNumber("-0")), std::bit_cast<uint64_t>(0.0));  // a whole zero has no sign
}

TEST(Text, UpperCaseInPlaceMatchesUpperCase) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  std::string inPlace = all;
  upperCaseInPlace(inPlace);
  EXPECT_EQ(inPlace, upperCase(all));
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(inPlace[static_cast<size_t>(c)], c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c));
}

}  // namespace kivo
