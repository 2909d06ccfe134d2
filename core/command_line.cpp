#include "core/command_line.h"

#include <string>

namespace {

constexpr char kQuote = '"';
// A blank inside quotes stands as this byte while the line is split.
constexpr char kHeldBlank = static_cast<char>(0xFE);

}  // namespace

int CommandArgument(const char* commandLine, int number, char* output, size_t outputSize) {
  if (commandLine == nullptr) commandLine = "";
  // The work copy is as long as the line, so no line is too long to read.
  std::string line(commandLine);
  size_t quotes = 0;
  for (char c : line) quotes += c == kQuote;
  if (quotes % 2 != 0) return kArgumentUnbalanced;

  bool quoted = false;
  for (char& c : line) {
    if (c == '\t') c = ' ';
    if (c == kQuote) quoted = !quoted;
    else if (quoted && c == ' ') c = kHeldBlank;
  }

  // Walk the runs of non-blanks up to the one asked for.
  size_t at = 0;
  const size_t end = line.size();
  for (int index = 0;; ++index) {
    while (at < end && line[at] == ' ') ++at;
    if (at == end || number < 0) {
      if (outputSize > 0) output[0] = 0;
      return kArgumentMissing;
    }
    size_t runEnd = at;
    while (runEnd < end && line[runEnd] != ' ') ++runEnd;
    if (index == number) {
      std::string argument;
      for (size_t i = at; i < runEnd; ++i) {
        if (line[i] == kQuote) continue;
        argument += line[i] == kHeldBlank ? ' ' : line[i];
      }
      if (outputSize == 0) return kArgumentEmpty;
      if (argument.empty() || argument.size() >= outputSize) {
        output[0] = 0;
        return kArgumentEmpty;
      }
      argument.copy(output, argument.size());
      output[argument.size()] = 0;
      return kArgumentFound;
    }
    at = runEnd;
  }
}
