// Command-line arguments: quoting, blanks, the result codes, and lines far
// longer than any buffer.
#include "core/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ArgumentCase {
  const char* line;
  int number;
  int result;
  const char* argument;  // what the buffer holds afterwards
};

// What the program sees for argument 1 (and a few others) of typical lines.
const ArgumentCase kCases[] = {
    {"\"C:\\Program Files\\Veldrana.exe\" \"C:\\My Data\\Sample.vdr\"", 1, kArgumentFound,
     "C:\\My Data\\Sample.vdr"},
    {"\"C:\\Program Files\\Veldrana.exe\" \"C:\\My Data\\Sample.vdr\"", 0, kArgumentFound,
     "C:\\Program Files\\Veldrana.exe"},
    // Unquoted, a path with a blank is two arguments.
    {"Veldrana.exe C:\\My Data\\Sample.vdr", 1, kArgumentFound, "C:\\My"},
    {"Veldrana.exe C:\\My Data\\Sample.vdr", 2, kArgumentFound, "Data\\Sample.vdr"},
    {"Veldrana.exe", 1, kArgumentMissing, ""},
    {"Veldrana.exe   ", 1, kArgumentMissing, ""},
    {"", 0, kArgumentMissing, ""},
    {"Veldrana.exe \"\"", 1, kArgumentEmpty, ""},
    {"Veldrana.exe \"\" next", 2, kArgumentFound, "next"},
    // Tabs separate like spaces, and inside quotes come out as spaces.
    {"Veldrana.exe\t\ta.vdr", 1, kArgumentFound, "a.vdr"},
    {"Veldrana.exe \"a\tb.vdr\"", 1, kArgumentFound, "a b.vdr"},
    // Quotes may stand anywhere in an argument and are left out.
    {"Veldrana.exe C:\\\"My Data\"\\x.vdr", 1, kArgumentFound, "C:\\My Data\\x.vdr"},
    {"  Veldrana.exe   one   two  ", 2, kArgumentFound, "two"},
    {"Veldrana.exe one", -1, kArgumentMissing, ""},
};

TEST(CommandArgument, ReadsArgumentsOfTypicalLines) {
  for (const ArgumentCase& c : kCases) {
    char buffer[600];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(CommandArgument(c.line, c.number, buffer, sizeof buffer), c.result)
        << c.line << " #" << c.number;
    EXPECT_STREQ(buffer, c.argument) << c.line << " #" << c.number;
  }
}

TEST(CommandArgument, UnbalancedQuotesLeaveTheBufferUntouched) {
  for (const char* line : {"Veldrana.exe \"a.vdr", "\"Veldrana.exe a.vdr", "a \"b\" \"c"}) {
    char buffer[16] = "kept";
    EXPECT_EQ(CommandArgument(line, 1, buffer, sizeof buffer), kArgumentUnbalanced) << line;
    EXPECT_STREQ(buffer, "kept") << line;
  }
}

// 0xFE is a letter (thorn in Windows-1252): a path holding it stays the path.
TEST(CommandArgument, ByteFEIsKeptAsItIs) {
  char buffer[64];
  for (const char* line : {"Veldrana.exe \"a\xFE" "b c.vdr\"", "Veldrana.exe a\xFE" "b\xFE.vdr"}) {
    EXPECT_EQ(CommandArgument(line, 1, buffer, sizeof buffer), kArgumentFound) << line;
    EXPECT_STREQ(buffer, std::strchr(line, '"') ? "a\xFE" "b c.vdr" : "a\xFE" "b\xFE.vdr") << line;
  }
}

TEST(CommandArgument, LongLinesAreReadWholeAndNothingIsWrittenPastTheBuffer) {
  // An argument far beyond 192 bytes, after a program path of 300.
  const std::string program = "\"" + std::string(300, 'p') + "\"";
  const std::string path = "C:\\" + std::string(400, 'd') + ".vdr";
  const std::string line = program + " \"" + path + "\" " + std::string(5000, 'z');
  char buffer[600 + 8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(CommandArgument(line.c_str(), 1, buffer, 600), kArgumentFound);
  EXPECT_EQ(std::string(buffer), path);
  EXPECT_EQ(CommandArgument(line.c_str(), 0, buffer, 600), kArgumentFound);
  EXPECT_EQ(std::string(buffer), std::string(300, 'p'));

  // An argument that does not fit is refused rather than cut, and the
  // bytes after the buffer are untouched.
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(CommandArgument(line.c_str(), 2, buffer, 600), kArgumentEmpty);
  EXPECT_STREQ(buffer, "");
  for (size_t i = 600; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');

  // The longest argument that fits.
  const std::string fits(599, 'f');
  EXPECT_EQ(CommandArgument(("x " + fits).c_str(), 1, buffer, 600), kArgumentFound);
  EXPECT_EQ(std::string(buffer), fits);
  EXPECT_EQ(CommandArgument(("x " + fits + "f").c_str(), 1, buffer, 600), kArgumentEmpty);
}

}  // namespace
