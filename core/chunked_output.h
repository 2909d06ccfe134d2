// Output gathered in a large buffer and handed on in big pieces, for the
// exports that write many small values.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class ChunkedOutput {
 public:
  // Takes a piece; false when it could not be written.
  using Sink = std::function<bool(const char* data, size_t size)>;
  explicit ChunkedOutput(Sink sink) : sink_(std::move(sink)) { buffer_.reserve(kSize); }

  void Append(const char* text, size_t length) {
    if (buffer_.size() + length > kSize) Flush();
    buffer_.append(text, length);
  }
  void Append(const std::string& text) { Append(text.data(), text.size()); }
  void Put(char c) { Append(&c, 1); }
  // Hands on what is left; false when any piece could not be written.
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  void Flush() {
    if (!buffer_.empty() && ok_) ok_ = sink_(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  static constexpr size_t kSize = size_t{1} << 20;
  Sink sink_;
  std::string buffer_;
  bool ok_ = true;
};
