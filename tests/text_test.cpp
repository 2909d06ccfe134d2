#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/text.h"
#include "tests/store_test_util.h"

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

#ifndef _WIN32
// A text cut to a buffer, a field or the long name keeps the characters of a
// double-byte code page whole; a single-byte code page is cut at the byte.
TEST(TextCopies, ACutNeverSplitsADoubleByteCharacter) {
  const struct {
    uint32_t page;
    std::string text;
    size_t room, kept;
  } cases[] = {
      {1252, "\x82\xA0\x82\xA2", 3, 3},
      {932, "\x82\xA0\x82\xA2", 3, 2},  // the second character goes whole
      {932, "a\x82\xA0", 2, 1},
      {932, "\x82\xA0" "a", 3, 3},
      {932, "\xE0\x81\x81\x81", 3, 2},  // a trail byte that could lead
      {932, "\xA0\xB1\x82\xA0", 3, 2},  // half-width kana take one byte
      {936, "\xC4\xE3\xBA\xC3", 3, 2},
      {949, "\xB0\xA1" "b", 2, 2},
      {950, "\xA7\x41\xA6\x6E", 3, 2},
      {950, "\xA7\x41\xA6\x6E", 4, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + ": " + c.text);
    platform::SetCodePage(c.page);
    EXPECT_EQ(FitText(c.text.data(), c.text.size(), c.room), c.kept);
    std::vector<char> buffer(c.room + 1, 'x');
    CopyText(c.text.c_str(), buffer.data(), buffer.size());
    EXPECT_EQ(std::string(buffer.data()), c.text.substr(0, c.kept));
  }
  // A field and the long name, in Japanese.
  platform::SetCodePage(932);
  testutil::ScratchDir dir;
  testutil::Db db;
  ASSERT_TRUE(testutil::CreateAndOpen(*db, dir.Path("j.vdr"), {10}));
  testutil::SetText(*db, 0, 1, "\x82\xA0\x82\xA2");
  EXPECT_EQ(testutil::GetText(*db, 0, 1), "\x82\xA0");
  const std::string name = std::string(299, 'n') + "\x82\xA0";
  ASSERT_EQ(db->SetLongName(name.c_str()), 1);
  ASSERT_EQ(db->ReadLongName(), 1);
  EXPECT_EQ(std::string(db->textValue), std::string(299, 'n'));
  platform::SetCodePage(1252);
}
#endif

}  // namespace
