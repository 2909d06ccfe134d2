#include "core/templates/template_database.h"

#include <vector>

#include "core/folders.h"
#include "core/templates/style_file.h"
#include "store/text.h"

int CreateDatabaseFromTemplate(DatabaseFile* db, const char* templatePath, const char* dbPath,
                               const char* longName) {
  StyleFile* file = OpenStyleFile(templatePath);
  if (file == nullptr) return 0;
  const uint32_t n = FindTagNumber(file, "<StyleFile><Records>");
  if (n > store::kMaxFieldCount) {
    CloseStyleFile(file);
    return 0;
  }
  std::vector<uint32_t> types(n);
  for (uint32_t i = 1; i <= n; ++i) {
    char path[kTagTextSize];
    FieldTagPath(i, "<Type>", path, sizeof path);
    types[i - 1] = FindTagNumber(file, path);
  }
  const uint32_t version = FindTagNumber(file, "<StyleFile><Ver>");
  CloseStyleFile(file);
  if (!db->CreateWithFields(dbPath, types.data(), n, longName, version)) return 0;
  // The template is remembered by its file name, so that Open finds its
  // labels again.
  char folder[kTagTextSize];
  FolderOfPath(templatePath, folder, sizeof folder);
  db->SetTemplateName(templatePath + TextLength(folder));
  return 1;
}
