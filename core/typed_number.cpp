#include "core/typed_number.h"

#include "store/field_type.h"
#include "store/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

uint32_t LargestNumber(uint32_t typeCode) {
  if (typeCode == kNumber8) return 0xFF;
  if (typeCode == kNumber16) return 0xFFFF;
  return 0xFFFFFFFFu;
}

bool ParseWholeNumber(const char* text, size_t length, uint32_t max, uint32_t* value) {
  const char* p = text;
  const char* end = text + length;
  while (p < end && IsBlank(*p)) ++p;
  while (end > p && IsBlank(end[-1])) --end;
  if (p == end) return false;
  uint64_t v = 0;
  for (; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > max) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

bool ParseWholeNumber(const char* text, uint32_t max, uint32_t* value) {
  return ParseWholeNumber(text, TextLength(text), max, value);
}
