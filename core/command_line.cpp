#include "core/command_line.h"

#include <string>
#include <vector>

namespace {

constexpr char kQuote = '"';

}  // namespace

int CommandArgument(const char* commandLine, int number, char* output, size_t outputSize) {
  if (commandLine == nullptr) commandLine = "";
  // The work copy is as long as the line, so no line is too long to read.
  std::string line(commandLine);
  size_t quotes = 0;
  for (char c : line) quotes += c == kQuote;
  if (quotes % 2 != 0) return kArgumentUnbalanced;

  // Blanks inside quotes belong to their argument; every byte of the line
  // keeps its value.
  std::vector<bool> held(line.size(), false);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\t') line[i] = ' ';
    if (line[i] == kQuote) quoted = !quoted;
    else if (quoted && line[i] == ' ') held[i] = true;
  }
  auto separates = [&](size_t i) { return line[i] == ' ' && !held[i]; };

  // Walk the runs of non-blanks up to the one asked for.
  size_t at = 0;
  const size_t end = line.size();
  for (int index = 0;; ++index) {
    while (at < end && separates(at)) ++at;
    if (at == end || number < 0) {
      if (outputSize > 0) output[0] = 0;
      return kArgumentMissing;
    }
    size_t runEnd = at;
    while (runEnd < end && !separates(runEnd)) ++runEnd;
    if (index == number) {
      std::string argument;
      for (size_t i = at; i < runEnd; ++i) {
        if (line[i] == kQuote) continue;
        argument += line[i];
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
