#include "core/sql_export.h"

#include <set>
#include <vector>

#include "core/column_names.h"
#include "platform/platform.h"
#include "store/text.h"

namespace {

std::string Quoted(const std::string& text, char quote) {
  std::string utf8;
  platform::AppendUtf8FromCodePage(text.data(), text.size(), &utf8);
  std::string quoted(1, quote);
  for (char c : utf8) {
    if (c == quote) quoted += quote;
    quoted += c;
  }
  return quoted + quote;
}

std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

// The column names, each used once: SQLite does not tell "Name" from
// "name" even in quotes, so a name met before, in any case, gives way to
// the field's number.
std::vector<std::string> Columns(uint32_t fieldCount) {
  std::vector<std::string> columns;
  std::set<std::string> taken;
  for (uint32_t f = 1; f <= fieldCount; ++f) {
    std::string name = ColumnName(f);
    if (taken.count(Folded(name)) != 0) name = "field" + std::to_string(f);
    for (int n = 2; taken.count(Folded(name)) != 0; ++n) name = "field" + std::to_string(f) + "_" + std::to_string(n);
    taken.insert(Folded(name));
    columns.push_back(SqlIdentifier(name));
  }
  return columns;
}

// A text as a string literal, its quotes doubled. A CR never stands just
// before a line break of the script: the sqlite3 shell reads a script a line
// at a time and drops a CR at a line's end even inside a quoted text, so
// "one<CR><LF>two" goes out as 'one<CR>' || '<LF>two', which both servers
// join back into the same text.
void AppendLiteral(const std::string& utf8, ChunkedOutput& out) {
  out.Put('\'');
  for (const char* p = utf8.data(), *end = p + utf8.size(); p < end;) {
    const char* stop = p;
    while (stop < end && *stop != '\'' && *stop != '\r') ++stop;
    out.Append(p, static_cast<size_t>(stop - p));
    if (stop == end) break;
    out.Put(*stop);
    if (*stop == '\'') {
      out.Put('\'');
    } else if (stop + 1 < end && stop[1] == '\n') {
      out.Append("' || '", 6);
    }
    p = stop + 1;
  }
  out.Put('\'');
}

}  // namespace

std::string SqlIdentifier(const std::string& name) { return Quoted(name, '"'); }

bool WriteSqlScript(const DatabaseFile& db, const char* table, const ChunkedOutput::Sink& sink) {
  ChunkedOutput out(sink);
  const std::string tableName = SqlIdentifier(table);
  const std::vector<std::string> columns = Columns(db.fieldCount);
  out.Append("BEGIN;\nCREATE TABLE " + tableName + " (\n");
  for (uint32_t f = 1; f <= db.fieldCount; ++f) {
    out.Append("  " + columns[f - 1] + (IsNumberType(db.FieldTypeOf(f)) ? " BIGINT" : " TEXT"));
    out.Append(f < db.fieldCount ? ",\n" : "\n");
  }
  out.Append(");\n");
  const std::string insert = "INSERT INTO " + tableName + " VALUES (";
  std::string utf8;
  char digits[12];
  for (uint32_t s = 0; s < db.slotCount; ++s) {
    if (db.GetRecStat(static_cast<int32_t>(s)) != kRecActive) continue;
    out.Append(insert);
    for (uint32_t f = 1; f <= db.fieldCount; ++f) {
      if (f > 1) out.Append(", ", 2);
      const char* text;
      const size_t length = db.DisplayText(static_cast<int32_t>(s), f, digits, &text);
      if (IsNumberType(db.FieldTypeOf(f))) {
        out.Append(text, length);
        continue;
      }
      utf8.clear();
      platform::AppendUtf8FromCodePage(text, length, &utf8);
      AppendLiteral(utf8, out);
    }
    out.Append(");\n", 3);
  }
  out.Append("COMMIT;\n");
  return out.Finish();
}
