// Reading comma-separated text (RFC 4180) as spreadsheets and Veldrana's own
// Export write it: quoted values may hold separators, doubled quotes and line
// breaks; lines end with CRLF, LF or CR; empty lines are skipped. Two
// leniencies read the Export back: blanks between a separator and an opening
// quote are ignored, and a separator with nothing but blanks after it on its
// line adds no value. Blanks between a closing quote and what follows it are
// ignored as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One value: its bytes, in the text or in the reader's own buffer.
struct CsvValue {
  const char* text;
  size_t length;
};

enum class CsvProblem {
  kNone,
  kUnclosedQuote,   // a quoted value runs to the end of the text
  kTextAfterQuote,  // something other than a separator follows a closing quote
};

class CsvReader {
 public:
  // text (size bytes, not necessarily zero-terminated) must outlive the
  // reader; separator is ',', ';' or '\t'.
  CsvReader(const char* text, size_t size, char separator);

  // The values of the next line that is not empty, valid until the next
  // call. False at the end of the text, and for a line that cannot be read:
  // then problem() says why and problemField() where.
  bool Next(std::vector<CsvValue>* values);
  // The line (from 1) the last values started on, or the problem's line.
  uint32_t line() const { return recordLine_; }
  CsvProblem problem() const { return problem_; }
  uint32_t problemField() const { return problemField_; }
  // How far the reader has come, in bytes.
  size_t position() const { return static_cast<size_t>(p_ - begin_); }

 private:
  struct Piece {
    size_t start;  // in the text, or in buffer_ when buffered
    size_t length;
    bool buffered;
  };
  bool AtLineEnd() const { return p_ == end_ || *p_ == '\r' || *p_ == '\n'; }
  void SkipLineEnd();
  bool BlanksToLineEnd(const char** after) const;
  bool ReadQuoted(Piece* piece);
  bool Fail(CsvProblem problem, uint32_t field);

  const char* begin_;
  const char* p_;
  const char* end_;
  char separator_;
  uint32_t lineNumber_ = 1;  // the line p_ is on
  uint32_t recordLine_ = 0;
  CsvProblem problem_ = CsvProblem::kNone;
  uint32_t problemField_ = 0;
  std::vector<Piece> pieces_;
  std::string buffer_;  // values whose doubled quotes were undone
};

// The separator of a text: of comma, semicolon and tab, the one found most
// often outside quotes on its first line that is not empty (a tie goes to
// the one found first); a comma when there is none.
char DetectSeparator(const char* text, size_t size);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF); *nonAscii says whether any byte is above 127.
bool IsUtf8(const char* text, size_t size, bool* nonAscii);
