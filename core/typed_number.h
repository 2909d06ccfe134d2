// A number as the user types it into a number field: a whole number the
// field can hold, blanks before and after it ignored.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest value a number field of this type code holds: 255 for code 0,
// 65535 for code 1, 4294967295 for the 4-byte codes 2 to 9.
uint32_t LargestNumber(uint32_t typeCode);

// Digits only, at most max, with blanks (spaces, tabs) around them allowed;
// false for anything else, an empty text included.
bool ParseWholeNumber(const char* text, size_t length, uint32_t max, uint32_t* value);
// The same for a zero-terminated text.
bool ParseWholeNumber(const char* text, uint32_t max, uint32_t* value);
