#include "store/field_type.h"

namespace {

const char* const kTypeNames[kFieldTypeCount] = {
    "Number (0 - 255)",   "Number (0 - 65535)", "Number (0 - 4294 Mil)",
    "Number (Undefined)", "Number (Undefined)", "Number (Undefined)",
    "Number (Undefined)", "Number (Undefined)", "Number (Undefined)",
    "Number (Undefined)", "Text, 4 Chars",      "Text, 16 Chars",
    "Text, 64 Chars",     "Text, 300 Chars",    "Text, 1000 Chars",
    "Text, 5000 Chars",   "Text, 10000 Chars",  "Text, Undefined",
};

}  // namespace

const char* FieldTypeName(uint32_t code) {
  return code < kFieldTypeCount ? kTypeNames[code] : kTypeNames[kTextUndefined];
}

uint32_t FieldTypeWidth(uint32_t code) {
  switch (code) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    case 3: return 8;
    case 4: return 16;
    case 10: return 4;
    case 11: return 16;
    case 12: return 64;
    case 13: return 300;
    case 14: return 1000;
    case 15: return 5000;
    default: return 64;
  }
}
