#include "core/templates/new_database.h"

#include "platform/platform.h"
#include "store/text.h"
#include "core/templates/template_database.h"

char newDatabaseName[store::kLongNameSize];

uint32_t AcceptNewChoice(const TemplateList* list, int32_t selection, const char* name) {
  if (list == nullptr || selection < 0 || static_cast<uint32_t>(selection) >= list->nameCount)
    return CancelNewChoice();
  UseTemplate(list->files[selection], static_cast<uint32_t>(selection) + 1);
  CopyText(name, newDatabaseName, sizeof newDatabaseName);
  return kNewAccepted;
}

uint32_t CancelNewChoice() {
  ForgetTemplate();
  return kNewCancelled;
}

int CreateWorkingCopyFromTemplate(DatabaseFile* db, const char* workingPath) {
  char templatePath[kTagTextSize];
  LocateDataFile(templateFileName, templatePath, sizeof templatePath);
  // A template that cannot be read stops New before the working copy is
  // touched (an empty file name gives a folder, which is no template).
  StyleFile* file = templateFileName[0] != 0 ? OpenStyleFile(templatePath) : nullptr;
  const bool readable = file != nullptr &&
                        FindTagNumber(file, "<StyleFile><Records>") <= store::kMaxFieldCount;
  if (file != nullptr) CloseStyleFile(file);
  if (!readable) {
    db->Close();
    return 0;
  }
  // Half a database is no database: the store removes what it wrote.
  return CreateDatabaseFromTemplate(db, templatePath, workingPath, newDatabaseName);
}
