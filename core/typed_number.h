// Numbers the user types for a number field (the record form's Shift-click
// edit, vdrtool set): a whole number the field can hold, or a message that
// names what it can hold.
#pragma once

#include <cstddef>
#include <cstdint>

// The typed text as a value of a field of type `code`; false when it is not a
// whole number from 0 to the field's largest value (blanks around it are
// ignored).
bool ReadTypedNumber(const char* text, uint32_t code, uint32_t* value);
// "Enter a whole number from 0 to 255." for a field of type `code`.
void TypedNumberMessage(uint32_t code, char* message, size_t messageSize);
