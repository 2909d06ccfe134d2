// vdrtool: reads and changes Veldrana databases from the command line.
//
//   vdrtool COMMAND FILE [ARGUMENTS]
//
// Records and fields count from 1, slots from 0. Output is plain text, one
// item a line, the parts of a line separated by one tab. Exit status: 0 done,
// 1 the operation failed or found nothing (the reason on stderr), 2 usage.
//
// Commands that change a database work on a copy beside it and move the copy
// over the user's file only when all of the work succeeded (Edit).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/record_filter.h"
#include "core/templates/template_labels.h"
#include "core/typed_number.h"
#include "store/database_file.h"
#include "store/field_type.h"
#include "store/text.h"
#include "tools/vdrtool.h"

namespace vdrtool {
namespace {

DatabaseFile& db = databaseFile;

// A record number or a field number typed by the user; usage error when it
// is not a number at all.
bool ParseNumberArgument(const char* text, const char* what, uint32_t* value) {
  if (ParseCount(text, value)) return true;
  std::fprintf(stderr, "%s is not a %s\n", text, what);
  return false;
}

// The slot of record n of the open database, reported when there is none.
bool FindRecord(uint32_t recordNumber, int32_t* slot) {
  *slot = db.SlotOfRecordNumber(recordNumber);
  if (*slot < 0) {
    Fail("No such record");
    return false;
  }
  return true;
}

bool CheckField(uint32_t field) {
  if (field >= 1 && field <= db.fieldCount) return true;
  Fail("No such field");
  return false;
}

// Prints a line; used by the commands that answer with one item.
int PrintLine(const char* text) {
  OutputBuffer out;
  out.Append(text);
  out.Newline();
  return out.Flush() ? kExitOk : Fail("Cannot write the output");
}

int PrintNumber(int32_t value) {
  char digits[12];
  NumberToSignedText(static_cast<uint32_t>(value), digits, sizeof digits);
  return PrintLine(digits);
}

// create FILE TYPE... [--name TEXT]
int CommandCreate(int argc, char** argv) {
  const char* file = argv[0];
  const char* name = "";
  std::vector<uint32_t> types;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--name") == 0) {
      if (i + 1 >= argc) return UsageError("--name needs a text");
      name = argv[++i];
      continue;
    }
    uint32_t type = 0;
    if (!ParseCount(argv[i], &type) || type >= kFieldTypeCount) {
      std::fprintf(stderr, "%s is not a type code (0 to 17)\n", argv[i]);
      return kExitUsage;
    }
    types.push_back(type);
  }
  if (types.empty()) return UsageError("no type codes given");
  if (types.size() > store::kMaxFieldCount) return UsageError("too many fields");

  Edit edit;
  if (!edit.BeginNew(file)) return kExitFailed;
  if (!db.CreateWithFields(edit.TempPath(), types.data(), static_cast<uint32_t>(types.size()), name,
                           1))
    return Fail(std::string("Cannot create ") + edit.TempPath());
  return edit.Commit();
}

// info FILE
int CommandInfo(int, char** argv) {
  if (!OpenForReading(argv[0])) return kExitFailed;
  OutputBuffer out;
  const struct {
    const char* label;
    uint32_t value;
  } counts[] = {{"fields", db.fieldCount},
                {"slots", db.slotCount},
                {"active", db.activeCount},
                {"recordSize", db.recordSize}};
  for (const auto& c : counts) {
    out.Append(c.label);
    out.Tab();
    out.AppendUnsigned(c.value);
    out.Newline();
  }
  db.ReadLongName();
  out.Append("name");
  out.Tab();
  out.Append(db.textValue);
  out.Newline();
  // The template whose labels Open gives the database.
  UseToolFolder();
  UseTemplateOfDatabase(db);
  out.Append("template");
  out.Tab();
  out.Append(templateFileName);
  out.Newline();
  for (uint32_t field = 1; field <= db.fieldCount; ++field) {
    uint32_t code = 0, valueOffset = 0;
    db.ReadFieldDef(field, &code, &valueOffset);
    out.Append("field");
    out.Tab();
    out.AppendUnsigned(field);
    out.Tab();
    out.AppendUnsigned(code);
    out.Tab();
    out.Append(FieldTypeName(code));
    out.Tab();
    out.AppendUnsigned(valueOffset);
    out.Newline();
  }
  return out.Flush() ? kExitOk : Fail("Cannot write the output");
}

// list FILE: one walk over the slots, record numbers counted on the way.
int CommandList(int argc, char** argv) {
  std::string filter;
  bool filtered = false;
  if (!TakeFilterOption(&argc, argv, &filter, &filtered) || argc != 1) return kExitUsage;
  if (!OpenForReading(argv[0])) return kExitFailed;
  // With a filter, the matching records, each with its own record number.
  std::vector<uint32_t> shown;
  if (filtered) shown = FilterSlots(db, filter);
  size_t next = 0;
  OutputBuffer out;
  char digits[12];
  uint32_t recordNumber = 0;
  for (int32_t slot = db.FindRecStat(kRecActive, 0); slot >= 0;) {
    ++recordNumber;
    if (filtered && (next == shown.size() || shown[next] != static_cast<uint32_t>(slot))) {
      const int32_t after = db.NextActive(slot);
      slot = after == slot ? -1 : after;
      continue;
    }
    ++next;
    out.AppendUnsigned(static_cast<uint32_t>(slot));
    out.Tab();
    out.AppendUnsigned(recordNumber);
    out.Tab();
    out.AppendSigned(static_cast<int32_t>(db.GetRecStat(slot)));
    for (uint32_t field = 1; field <= db.fieldCount; ++field) {
      const char* text;
      size_t length = db.DisplayText(slot, field, digits, &text);
      out.Tab();
      out.Append(text, length);
    }
    out.Newline();
    const int32_t next = db.NextActive(slot);
    slot = next == slot ? -1 : next;
  }
  return out.Flush() ? kExitOk : Fail("Cannot write the output");
}

// count FILE [--filter TEXT]: the records, or those that match.
int CommandCount(int argc, char** argv) {
  std::string filter;
  bool filtered = false;
  if (!TakeFilterOption(&argc, argv, &filter, &filtered) || argc != 1) return kExitUsage;
  if (!OpenForReading(argv[0])) return kExitFailed;
  return PrintNumber(static_cast<int32_t>(filtered ? FilterSlots(db, filter).size() : db.activeCount));
}

// add FILE
int CommandAdd(int, char** argv) {
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  const int32_t slot = db.AddRecord();
  if (slot < 0) return Fail("No free slot");
  if (edit.Commit() != kExitOk) return kExitFailed;
  return PrintNumber(slot);
}

// copy FILE RECNO: the store follows the record should the allocation move it.
int CommandCopy(int, char** argv) {
  uint32_t recordNumber = 0;
  if (!ParseNumberArgument(argv[1], "record number", &recordNumber)) return kExitUsage;
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  int32_t source = 0;
  if (!FindRecord(recordNumber, &source)) return kExitFailed;
  const int32_t target = db.DuplicateRecord(source);
  if (target < 0) return Fail("Cannot copy the record");
  if (edit.Commit() != kExitOk) return kExitFailed;
  return PrintNumber(target);
}

// delete FILE RECNO
int CommandDelete(int, char** argv) {
  uint32_t recordNumber = 0;
  if (!ParseNumberArgument(argv[1], "record number", &recordNumber)) return kExitUsage;
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  int32_t slot = 0;
  if (!FindRecord(recordNumber, &slot)) return kExitFailed;
  if (db.SetRecStat(slot, kRecDeleted) != 1) return Fail("Cannot delete the record");
  return edit.Commit();
}

// set FILE RECNO FIELD VALUE: the value as the record form takes it typed.
int CommandSet(int, char** argv) {
  uint32_t recordNumber = 0, field = 0;
  if (!ParseNumberArgument(argv[1], "record number", &recordNumber) ||
      !ParseNumberArgument(argv[2], "field number", &field))
    return kExitUsage;
  const char* value = argv[3];
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  int32_t slot = 0;
  if (!FindRecord(recordNumber, &slot) || !CheckField(field)) return kExitFailed;
  const uint32_t code = db.FieldTypeOf(field);
  if (IsNumberType(code)) {
    if (!ReadTypedNumber(value, code, &db.numberValue)) {
      char message[64];
      TypedNumberMessage(code, message, sizeof message);
      return Fail(message);
    }
  } else {
    CopyText(value, db.textValue, sizeof db.textValue);  // WriteField cuts it to the field
  }
  if (db.WriteField(slot, field) < 0) return Fail("Cannot write the field");
  return edit.Commit();
}

// name FILE [TEXT]
int CommandName(int argc, char** argv) {
  if (argc == 1) {
    if (!OpenForReading(argv[0])) return kExitFailed;
    db.ReadLongName();
    return PrintLine(db.textValue);
  }
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  char name[store::kLongNameSize];
  CopyText(argv[1], name, sizeof name);  // at most 299 characters, as New takes it
  if (db.SetLongName(name) != 1) return Fail("Cannot write the name");
  return edit.Commit();
}

// sort FILE FIELD
int CommandSort(int, char** argv) {
  uint32_t field = 0;
  if (!ParseNumberArgument(argv[1], "field number", &field)) return kExitUsage;
  Edit edit;
  if (!edit.Begin(argv[0])) return kExitFailed;
  if (!CheckField(field)) return kExitFailed;
  if (db.activeCount == 0) return kExitOk;  // nothing to put in order; the file stays
  if (db.SortByField(field) != 1) return Fail("Cannot sort");
  return edit.Commit();
}

// goto FILE N: N read as the Goto prompt reads it, a record number.
int CommandGoto(int, char** argv) {
  if (!OpenForReading(argv[0])) return kExitFailed;
  uint32_t recordNumber = 0;
  int32_t slot = 0;
  if (!ParseWholeNumber(argv[1], 0x7FFFFFFFu, &recordNumber)) return Fail("No such record");
  if (!FindRecord(recordNumber, &slot)) return kExitFailed;
  return PrintNumber(slot);
}

// search FILE TEXT [--after SLOT | --before SLOT]
int CommandSearch(int argc, char** argv) {
  const char* text = argv[1];
  if (*text == 0) return UsageError("the search text is empty");
  enum { kFromStart, kAfter, kBefore } direction = kFromStart;
  uint32_t from = 0;
  if (argc == 3) return UsageError("--after and --before need a slot");
  if (argc == 4) {
    if (std::strcmp(argv[2], "--after") == 0) {
      direction = kAfter;
    } else if (std::strcmp(argv[2], "--before") == 0) {
      direction = kBefore;
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[2]);
      return kExitUsage;
    }
    if (!ParseNumberArgument(argv[3], "slot", &from)) return kExitUsage;
  }
  if (!OpenForReading(argv[0])) return kExitFailed;
  db.SetSearchText(text);  // the first 30 characters
  int32_t slot = -1;
  switch (direction) {
    case kFromStart: slot = db.SearchFromStart(); break;
    case kAfter: slot = db.SearchNext(static_cast<int32_t>(from)); break;
    case kBefore: slot = db.SearchPrevious(static_cast<int32_t>(from)); break;
  }
  if (slot < 0) return Fail("No Match Found");
  return PrintNumber(slot);
}

// check FILE
int CommandCheck(int, char** argv) {
  if (!OpenForReading(argv[0])) return kExitFailed;
  return PrintLine("OK");
}

const Command kCommands[] = {
    {"create", 2, -1, CommandCreate, "FILE TYPE... [--name TEXT]"},
    {"info", 1, 1, CommandInfo, "FILE"},
    {"list", 1, 3, CommandList, "FILE [--filter TEXT]"},
    {"count", 1, 3, CommandCount, "FILE [--filter TEXT]"},
    {"add", 1, 1, CommandAdd, "FILE"},
    {"copy", 2, 2, CommandCopy, "FILE RECNO"},
    {"delete", 2, 2, CommandDelete, "FILE RECNO"},
    {"set", 4, 4, CommandSet, "FILE RECNO FIELD VALUE"},
    {"name", 1, 2, CommandName, "FILE [TEXT]"},
    {"sort", 2, 2, CommandSort, "FILE FIELD"},
    {"goto", 2, 2, CommandGoto, "FILE N"},
    {"search", 2, 4, CommandSearch, "FILE TEXT [--after SLOT | --before SLOT]"},
    {"check", 1, 1, CommandCheck, "FILE"},
    // --- template commands (vdrtool_templates.cpp): one line each below ---
    {"new", 2, 3, CommandNew, "FILE TEMPLATE [NAME]"},
    {"labels", 1, 1, CommandLabels, "FILE"},
    {"export", 1, 5, CommandExport, "FILE [OUT] [--spreadsheet [--filter TEXT]]"},
    // --- import and SQL (vdrtool_transfer.cpp) ---
    {"import", 2, 3, CommandImport, "FILE CSV [--header | --no-header]"},
    {"sql", 1, 2, CommandSql, "FILE [TABLE]"},
};

void PrintCommandUsage(FILE* to, const Command& command) {
  std::fprintf(to, "usage: vdrtool %s %s\n", command.name, command.usage);
}

void PrintUsage(FILE* to) {
  std::fprintf(to, "usage: vdrtool COMMAND FILE [ARGUMENTS]\ncommands:\n");
  for (const Command& command : kCommands)
    std::fprintf(to, "  %s %s\n", command.name, command.usage);
  std::fprintf(to,
               "Records and fields count from 1, slots from 0. Type codes: 0 to 9 numbers,\n"
               "10 to 17 texts (10: 4, 11: 16, 12: 64, 13: 300, 14: 1000, 15: 5000 bytes).\n");
}

int Run(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const char* name = argv[1];
  if (std::strcmp(name, "help") == 0 || std::strcmp(name, "--help") == 0 ||
      std::strcmp(name, "-h") == 0) {
    PrintUsage(stdout);
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(name, command.name) != 0) continue;
    const int count = argc - 2;
    if (count < command.minArgs || (command.maxArgs >= 0 && count > command.maxArgs)) {
      PrintCommandUsage(stderr, command);
      return kExitUsage;
    }
    const int result = command.handler(count, argv + 2);
    if (result == kExitUsage) PrintCommandUsage(stderr, command);
    return result;
  }
  std::fprintf(stderr, "unknown command %s\n", name);
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace
}  // namespace vdrtool

int main(int argc, char** argv) {
  const int result = vdrtool::Run(argc, argv);
  databaseFile.Close();
  return result;
}
