// The field types of a database: 18 codes, 0 to 9 numbers and 10 to 17 texts.
#pragma once

#include <cstdint>

enum FieldType : uint32_t {
  kNumber8 = 0,
  kNumber16 = 1,
  kNumber32 = 2,
  kNumberWide8 = 3,
  kNumberWide16 = 4,
  kNumberWide64 = 5,  // codes 5 to 9 alike
  kText4 = 10,
  kText16 = 11,
  kText64 = 12,
  kText300 = 13,
  kText1000 = 14,
  kText5000 = 15,
  kText10000 = 16,  // only 64 bytes wide, whatever its name says
  kTextUndefined = 17,
};

constexpr uint32_t kFieldTypeCount = 18;

inline bool IsNumberType(uint32_t code) { return code <= 9; }

// Display name of a type; a code above 17 reads as a 64-byte text.
const char* FieldTypeName(uint32_t code);
// Storage width in bytes of a field of this type.
uint32_t FieldTypeWidth(uint32_t code);

// RecStat: the status word at the start of every slot.
enum RecStat : uint32_t {
  kRecEmpty = 0,
  kRecDeleted = 5,
  kRecActive = 10,
};

// A slot is in use when its RecStat is above 9.
inline bool IsInUse(uint32_t recStat) { return recStat > 9; }
inline bool IsReusable(uint32_t recStat) { return recStat == kRecEmpty || recStat == kRecDeleted; }

// The largest value a number field of this type holds: 255, 65535, or
// 4294967295 for the 4-byte codes 2 to 9.
inline uint32_t FieldTypeMaximum(uint32_t code) {
  return code == kNumber8 ? 0xFFu : code == kNumber16 ? 0xFFFFu : 0xFFFFFFFFu;
}

// The value of a number field from its bytes: 1, 2 or 4 bytes, little-endian;
// codes 3 to 9 read their first four bytes.
inline uint32_t DecodeNumber(const uint8_t* bytes, uint32_t code) {
  if (code == kNumber8) return bytes[0];
  if (code == kNumber16) return static_cast<uint32_t>(bytes[0] | bytes[1] << 8);
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
