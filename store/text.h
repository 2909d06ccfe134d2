// Text and number routines on zero-terminated single-byte text, shared by the
// whole program. Sources come before destinations; every destination's size
// is passed with it, and nothing is written past it.
#pragma once

#include <cstddef>
#include <cstdint>

// Number of bytes before the terminator.
size_t TextLength(const char* text);
// How many of a text's first `length` bytes fit into `room` bytes: all of
// them, or fewer, cut before a character of the double-byte code pages
// rather than between its two bytes.
size_t FitText(const char* text, size_t length, size_t room);
// Copies text and terminator, cut (FitText) to fit the destination.
void CopyText(const char* source, char* destination, size_t destinationSize);
// Copies source over the destination's terminator, cut to fit.
void AppendText(char* destination, size_t destinationSize, const char* source);
// Copies exactly n bytes (whatever they hold) and writes a terminator after
// them; n is cut to destinationSize - 1.
void CopyBytes(const char* source, char* destination, size_t destinationSize, size_t n);
void CopyBytesFrom(const char* source, size_t offset, char* destination,
                   size_t destinationSize, size_t n);

// value = value * 10 + (byte - 48) per byte in wrapping 32-bit arithmetic;
// nothing is rejected ("1a" gives 59). A leading "-" negates the result.
uint32_t TextToNumber(const char* text);
// Typed input: a whole number from 0 to maximum, written with decimal digits
// only, blanks (spaces and tabs) before and after ignored. False, and value
// untouched, for anything else: an empty text, a sign, other characters, or a
// number above maximum. What files hold goes through TextToNumber instead.
bool ParseWholeNumber(const char* text, uint32_t maximum, uint32_t* value);
// The same for the first `length` bytes of a text that need not end there.
bool ParseWholeNumber(const char* text, size_t length, uint32_t maximum, uint32_t* value);
// Decimal text of the value read as signed; the buffer holds at least 12 bytes.
void NumberToSignedText(uint32_t value, char* destination, size_t destinationSize);
// Decimal text of the value read as unsigned; at least 11 bytes.
void NumberToUnsignedText(uint32_t value, char* destination, size_t destinationSize);
