#include "core/typed_number.h"

#include "store/field_type.h"
#include "store/text.h"

bool ReadTypedNumber(const char* text, uint32_t code, uint32_t* value) {
  return ParseWholeNumber(text, FieldTypeMaximum(code), value);
}

void TypedNumberMessage(uint32_t code, char* message, size_t messageSize) {
  char maximum[12];
  NumberToUnsignedText(FieldTypeMaximum(code), maximum, sizeof maximum);
  CopyText("Enter a whole number from 0 to ", message, messageSize);
  AppendText(message, messageSize, maximum);
  AppendText(message, messageSize, ".");
}
