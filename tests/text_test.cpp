#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/text.h"

namespace {

struct NumberCase {
  const char* text;
  uint32_t value;
};

TEST(TextToNumber, WrapsAndAcceptsAnything) {
  const NumberCase cases[] = {
      {"12", 12},
      {"", 0},
      {"1a", 59},            // 'a' counts as digit 49
      {" 80", 24080},  // a blank is code 32: (32 - 48) mod 256 = 240
      {"-5", 0u - 5u},
      {"-", 0},
      {"4294967295", 4294967295u},
      {"4294967296", 0},     // wraps
      {"3000000000", 3000000000u},
      {"0012", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToNumber(c.text), c.value) << '"' << c.text << '"';
}

// Typed numbers: whole numbers a field can hold, blanks around them ignored.
TEST(ParseWholeNumber, TakesOnlyWholeNumbersInRange) {
  const struct {
    const char* text;
    uint32_t maximum;
    bool ok;
    uint32_t value;
  } cases[] = {
      {"255", 255, true, 255},  {" 3 ", 4294967295u, true, 3}, {"\t07", 9, true, 7},
      {"300", 255, false, 0},   {"-1", 255, false, 0},         {"12a", 255, false, 0},
      {"", 255, false, 0},      {"  ", 255, false, 0},         {"1 2", 255, false, 0},
      {"+5", 255, false, 0},    {"4294967295", 4294967295u, true, 4294967295u},
      {"4294967296", 4294967295u, false, 0}, {"99999999999999999999", 4294967295u, false, 0},
  };
  for (const auto& c : cases) {
    uint32_t value = 12345;
    EXPECT_EQ(ParseWholeNumber(c.text, c.maximum, &value), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(value, c.ok ? c.value : 12345u) << '"' << c.text << '"';
  }
}

TEST(NumberText, SignedAndUnsigned) {
  char buf[16];
  NumberToSignedText(0, buf, sizeof buf);
  EXPECT_STREQ(buf, "0");
  NumberToSignedText(3000000000u, buf, sizeof buf);
  EXPECT_STREQ(buf, "-1294967296");
  NumberToSignedText(0x80000000u, buf, sizeof buf);
  EXPECT_STREQ(buf, "-2147483648");
  NumberToSignedText(2147483647u, buf, sizeof buf);
  EXPECT_STREQ(buf, "2147483647");
  NumberToUnsignedText(3000000000u, buf, sizeof buf);
  EXPECT_STREQ(buf, "3000000000");
  NumberToUnsignedText(4294967295u, buf, sizeof buf);
  EXPECT_STREQ(buf, "4294967295");
  NumberToUnsignedText(0, buf, sizeof buf);
  EXPECT_STREQ(buf, "0");
}

TEST(TextCopies, NeverWritePastTheDestination) {
  char small[5];
  std::memset(small, 'x', sizeof small);
  CopyText("abcdefgh", small, sizeof small);
  EXPECT_STREQ(small, "abcd");
  AppendText(small, sizeof small, "zz");
  EXPECT_STREQ(small, "abcd");
  char buf[10] = "ab";
  AppendText(buf, sizeof buf, "cd");
  EXPECT_STREQ(buf, "abcd");
  const char raw[] = {'a', 0, 'b', 'c'};
  char out[8];
  CopyBytes(raw, out, sizeof out, 4);
  EXPECT_EQ(0, std::memcmp(out, raw, 4));
  EXPECT_EQ(out[4], 0);
  CopyBytesFrom("hello world", 6, out, sizeof out, 5);
  EXPECT_STREQ(out, "world");
  CopyBytes("0123456789", out, 4, 9);  // cut to the destination
  EXPECT_STREQ(out, "012");
}

}  // namespace
