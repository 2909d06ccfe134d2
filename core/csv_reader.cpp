#include "core/csv_reader.h"

#include <cstring>

namespace {

bool IsBlank(char c, char separator) { return (c == ' ' || c == '\t') && c != separator; }

}  // namespace

CsvReader::CsvReader(const char* text, size_t size, char separator)
    : begin_(text), p_(text), end_(text + size), separator_(separator) {}

void CsvReader::SkipLineEnd() {
  if (p_ == end_) return;
  if (*p_ == '\r' && p_ + 1 < end_ && p_[1] == '\n') ++p_;
  ++p_;
  ++lineNumber_;
}

// Whether only blanks stand between p_ and the line's end; *after is where
// the blanks end.
bool CsvReader::BlanksToLineEnd(const char** after) const {
  const char* q = p_;
  while (q < end_ && IsBlank(*q, separator_)) ++q;
  *after = q;
  return q == end_ || *q == '\r' || *q == '\n';
}

bool CsvReader::Fail(CsvProblem problem, uint32_t field) {
  problem_ = problem;
  problemField_ = field;
  return false;
}

// p_ is on the opening quote. Reads to the closing quote and past the blanks
// after it; the value goes into piece, through buffer_ when it held doubled
// quotes.
bool CsvReader::ReadQuoted(Piece* piece) {
  const uint32_t startLine = lineNumber_;
  const char* start = ++p_;
  bool buffered = false;
  size_t bufferStart = 0;
  for (;;) {
    const char* quote = static_cast<const char*>(std::memchr(p_, '"', static_cast<size_t>(end_ - p_)));
    // Line breaks inside the value still count as lines.
    for (const char* q = p_; q < (quote ? quote : end_); ++q) {
      if (*q == '\n' || (*q == '\r' && (q + 1 == end_ || q[1] != '\n'))) ++lineNumber_;
    }
    if (quote == nullptr) {
      p_ = end_;
      recordLine_ = startLine;
      return Fail(CsvProblem::kUnclosedQuote, static_cast<uint32_t>(pieces_.size() + 1));
    }
    if (quote + 1 < end_ && quote[1] == '"') {
      if (!buffered) {
        buffered = true;
        bufferStart = buffer_.size();
      }
      buffer_.append(start, static_cast<size_t>(quote + 1 - start));
      start = p_ = quote + 2;
      continue;
    }
    if (buffered) {
      buffer_.append(start, static_cast<size_t>(quote - start));
      *piece = {bufferStart, buffer_.size() - bufferStart, true};
    } else {
      *piece = {static_cast<size_t>(start - begin_), static_cast<size_t>(quote - start), false};
    }
    p_ = quote + 1;
    while (p_ < end_ && IsBlank(*p_, separator_)) ++p_;
    if (!AtLineEnd() && *p_ != separator_)
      return Fail(CsvProblem::kTextAfterQuote, static_cast<uint32_t>(pieces_.size() + 1));
    return true;
  }
}

bool CsvReader::Next(std::vector<CsvValue>* values) {
  values->clear();
  pieces_.clear();
  buffer_.clear();
  if (problem_ != CsvProblem::kNone) return false;
  while (p_ < end_ && (*p_ == '\r' || *p_ == '\n')) SkipLineEnd();
  if (p_ == end_) return false;
  recordLine_ = lineNumber_;
  for (;;) {
    Piece piece;
    const char* afterBlanks = p_;
    while (afterBlanks < end_ && IsBlank(*afterBlanks, separator_)) ++afterBlanks;
    if (afterBlanks < end_ && *afterBlanks == '"') {
      p_ = afterBlanks;
      if (!ReadQuoted(&piece)) return false;
    } else {
      const char* start = p_;
      while (p_ < end_ && *p_ != separator_ && *p_ != '\r' && *p_ != '\n') ++p_;
      piece = {static_cast<size_t>(start - begin_), static_cast<size_t>(p_ - start), false};
    }
    pieces_.push_back(piece);
    if (AtLineEnd()) break;
    ++p_;  // the separator
    // One that ends the line adds no value.
    const char* after;
    if (BlanksToLineEnd(&after)) {
      p_ = after;
      break;
    }
  }
  SkipLineEnd();
  values->reserve(pieces_.size());
  for (const Piece& piece : pieces_)
    values->push_back({(piece.buffered ? buffer_.data() : begin_) + piece.start, piece.length});
  return true;
}

char DetectSeparator(const char* text, size_t size) {
  const char candidates[] = {',', ';', '\t'};
  size_t counts[3] = {};
  size_t firstSeen[3] = {SIZE_MAX, SIZE_MAX, SIZE_MAX};
  size_t i = 0;
  while (i < size && (text[i] == '\r' || text[i] == '\n')) ++i;
  bool quoted = false;
  for (; i < size; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\r' || c == '\n') break;
    for (int k = 0; k < 3; ++k) {
      if (c != candidates[k]) continue;
      if (counts[k]++ == 0) firstSeen[k] = i;
    }
  }
  int best = 0;
  for (int k = 1; k < 3; ++k) {
    if (counts[k] > counts[best] || (counts[k] == counts[best] && firstSeen[k] < firstSeen[best]))
      best = k;
  }
  return candidates[best];
}

bool IsUtf8(const char* text, size_t size, bool* nonAscii) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* end = p + size;
  *nonAscii = false;
  while (p < end) {
    // Plain ASCII eight bytes at a time.
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        p += 8;
        continue;
      }
    }
    if (*p < 0x80) {
      ++p;
      continue;
    }
    *nonAscii = true;
    const unsigned char c = *p;
    int more = 0;
    uint32_t lowest = 0, code = 0;
    if (c >= 0xC2 && c <= 0xDF) more = 1, lowest = 0x80, code = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) more = 2, lowest = 0x800, code = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) more = 3, lowest = 0x10000, code = c & 0x07;
    else return false;
    if (end - p <= more) return false;
    for (int k = 1; k <= more; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      code = code << 6 | (p[k] & 0x3Fu);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    p += more + 1;
  }
  return true;
}
