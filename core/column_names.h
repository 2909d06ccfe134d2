// The names of the open database's fields outside the program: the header of
// Export As, the columns of the SQL script, and the header line Import
// recognises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The field's (from 1) column heading in the record list: its label from
// the template in use, or "field" and its number where there is none.
std::string ColumnName(uint32_t field);
