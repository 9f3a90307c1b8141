#include "convert/binary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "tests/support/test_text.h"

namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

struct DecimalCase {
  std::u16string binary;
  std::string decimal;
};

TEST(BinaryToDecimal, ConvertsTheTable) {
  const DecimalCase cases[] = {
      {u"", "0"},
      {u"0", "0"},
      {u"0000", "0"},
      {u"1", "1"},
      {u"1010", "10"},
      {u"0001", "1"},
      {U(Repeat('1', 31)), "2147483647"},
      {U("1" + Repeat('0', 30)), "1073741824"},
      {U("1" + Repeat('0', 31)), "-1"},
      {U("0" + Repeat('1', 31)), "2147483647"},
      {U(Repeat('1', 32)), "-1"},
      {U("1" + Repeat('0', 32)), "-1"},
      {U(Repeat('0', 39) + "1"), "1"},
      {U("1" + Repeat('0', 63)), "-1"},  // a weight that would wrap a 64-bit shift
      {u"1x1", "5"},                     // any other character is a zero digit
      {u"1１", "2"},                     // a full-width one is not a '1'
      {u"-1", "1"},
      {u" 11", "3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(A(BinaryToDecimal(c.binary)), c.decimal) << "input: " << A(c.binary);
  }
}

TEST(BinaryToDecimal, HandlesAMillionDigits) {
  EXPECT_EQ(A(BinaryToDecimal(U(Repeat('0', 1'000'000) + "101"))), "5");
  EXPECT_EQ(A(BinaryToDecimal(U(Repeat('1', 1'000'000)))), "-1");
  EXPECT_EQ(A(BinaryToDecimal(U("1" + Repeat('x', 1'000'000)))), "-1");
}

// The plain rule: every '1' adds its own power of two, computed with pow on doubles.
std::string ReferenceDecimal(const std::string& binary) {
  const std::size_t n = binary.size();
  unsigned long long value = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (binary[i] != '1') continue;
    const double weight = std::pow(2.0, static_cast<double>(n - i - 1));
    if (weight >= 4294967296.0) return "-1";
    value += static_cast<unsigned long long>(weight);
  }
  return value > 2147483647ull ? "-1" : std::to_string(value);
}

TEST(BinaryToDecimal, AgreesWithThePlainRuleOnRandomStrings) {
  std::mt19937 random(20261207);
  const char alphabet[] = {'0', '1', '1', '0', 'x'};
  for (int round = 0; round < 20000; ++round) {
    const std::size_t length = random() % 41;
    // Mostly leading zeros for long strings, so that values near the limit are common.
    const std::size_t zeros = length > 31 ? random() % (length + 1) : 0;
    std::string binary(zeros, '0');
    while (binary.size() < length) binary.push_back(alphabet[random() % sizeof alphabet]);
    ASSERT_EQ(A(BinaryToDecimal(U(binary))), ReferenceDecimal(binary)) << "input: " << binary;
  }
}

TEST(AppendDecimal, FormatsTheWholeRange) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {0, "0"}, {7, "7"}, {10, "10"}, {4294967295u, "4294967295"}, {1000000000, "1000000000"}};
  for (const auto& [value, text] : cases) {
    std::u16string out = u"x";
    AppendDecimal(out, value);
    EXPECT_EQ(A(out), "x" + text);
  }
}

TEST(HasNonBinaryChars, AcceptsOnlyDigitsAndLineBreaks) {
  const std::pair<std::u16string, int> cases[] = {
      {u"", 0},
      {u"0101\r\n111\r\n", 0},
      {u"01\n\n10", 0},
      {u"\r\n\r\n\n\r", 0},
      {u"1\r0", 0},
      {u"0 1", 1},
      {u"012", 1},
      {u"0\t1", 1},
      {u"１", 1},   // full-width digit one
      {u"0０", 1},  // full-width digit zero
      {std::u16string(u"0\0"
                      u"1",
                      3),
       1},
      {u"10a", 1},
      {u"\x3000", 1},
      {u"1\xD800", 1},  // a lone surrogate
      {u"1\xFF10", 1},
      {u"11\x0130", 1},  // a character whose low byte is '0'
      {u"11\x0131", 1},
      {u"11\x010A", 1},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(HasNonBinaryChars(text), expected) << "text: " << A(text);
  }
}

}  // namespace
