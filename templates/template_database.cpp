#include "templates/template_database.h"

#include "store/text.h"
#include "templates/style_file.h"

int CreateDatabaseFromTemplate(DatabaseFile* db, const char* templatePath, const char* dbPath,
                               const char* longName) {
  StyleFile* file = OpenStyleFile(templatePath);
  if (file == nullptr) return 0;
  const uint32_t n = FindTagNumber(file, "<StyleFile><Records>");
  if (n > store::kMaxFieldCount) {
    CloseStyleFile(file);
    return 0;
  }
  db->Close();
  CopyText(dbPath, db->path, sizeof db->path);
  db->fieldCount = n;
  db->writable = 1;
  if (!db->Create()) {
    CloseStyleFile(file);
    return 0;
  }
  const uint32_t version = FindTagNumber(file, "<StyleFile><Ver>");
  bool ok = true;
  for (uint32_t i = 1; i <= n && ok; ++i) {
    char path[kTagTextSize];
    FieldTagPath(i, "<Type>", path, sizeof path);
    ok = db->WriteFieldType(i, FindTagNumber(file, path)) == 1;
  }
  CloseStyleFile(file);
  ok = ok && db->LayoutFields() == 1;
  db->Close();
  if (!ok) return 0;
  db->writable = 1;
  if (!db->Open()) return 0;
  char name[store::kLongNameSize];
  CopyText(longName, name, sizeof name);
  if (db->AllocateSlot() < 0 || !db->SetLongName(name) || !db->SetTemplateVersion(version)) {
    db->Close();
    return 0;
  }
  return 1;
}
