#include "core/column_names.h"

#include "core/templates/template_labels.h"

std::string ColumnName(uint32_t field) {
  const char* label = FieldLabel(field);
  if (label != nullptr && label[0] != 0) return label;
  return "field" + std::to_string(field);
}
