#include "store/text.h"

#include <cstring>

#include "platform/platform.h"

size_t TextLength(const char* text) { return std::strlen(text); }

size_t FitText(const char* text, size_t length, size_t room) {
  if (length <= room) return length;
  // A trail byte can look like a lead byte: only a walk from the start
  // tells the characters apart.
  size_t n = 0;
  while (n < room) {
    const size_t step = platform::IsLeadByte(static_cast<uint8_t>(text[n])) && n + 1 < length ? 2 : 1;
    if (n + step > room) break;
    n += step;
  }
  return n;
}

void CopyText(const char* source, char* destination, size_t destinationSize) {
  if (destinationSize == 0) return;
  size_t n = strnlen(source, destinationSize);
  if (n == destinationSize) n = FitText(source, n, destinationSize - 1);
  std::memcpy(destination, source, n);
  destination[n] = 0;
}

void AppendText(char* destination, size_t destinationSize, const char* source) {
  size_t used = strnlen(destination, destinationSize);
  if (used >= destinationSize) return;
  CopyText(source, destination + used, destinationSize - used);
}

void CopyBytes(const char* source, char* destination, size_t destinationSize, size_t n) {
  CopyBytesFrom(source, 0, destination, destinationSize, n);
}

void CopyBytesFrom(const char* source, size_t offset, char* destination,
                   size_t destinationSize, size_t n) {
  if (destinationSize == 0) return;
  if (n > destinationSize - 1) n = destinationSize - 1;
  std::memcpy(destination, source + offset, n);
  destination[n] = 0;
}

uint32_t TextToNumber(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  uint32_t value = 0;
  for (; *p != 0; ++p) value = value * 10u + static_cast<uint8_t>(*p - 48u);
  return negative ? 0u - value : value;
}

void NumberToUnsignedText(uint32_t value, char* destination, size_t destinationSize) {
  char digits[12];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[12];
  for (size_t i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  text[n] = 0;
  CopyText(text, destination, destinationSize);
}

void NumberToSignedText(uint32_t value, char* destination, size_t destinationSize) {
  if (static_cast<int32_t>(value) >= 0) {
    NumberToUnsignedText(value, destination, destinationSize);
    return;
  }
  char text[12];
  text[0] = '-';
  NumberToUnsignedText(0u - value, text + 1, sizeof text - 1);
  CopyText(text, destination, destinationSize);
}

bool ParseWholeNumber(const char* text, size_t length, uint32_t maximum, uint32_t* value) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const char* p = text;
  const char* end = text + length;
  while (p < end && blank(*p)) ++p;
  while (end > p && blank(end[-1])) --end;
  if (p == end) return false;
  uint64_t number = 0;
  for (; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    number = number * 10 + static_cast<uint64_t>(*p - '0');
    if (number > maximum) return false;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool ParseWholeNumber(const char* text, uint32_t maximum, uint32_t* value) {
  return ParseWholeNumber(text, TextLength(text), maximum, value);
}
