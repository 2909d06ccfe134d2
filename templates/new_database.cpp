#include "templates/new_database.h"

#include "platform/platform.h"
#include "store/text.h"
#include "templates/template_database.h"

char newDatabaseName[store::kLongNameSize];

uint32_t AcceptNewChoice(const TemplateList* list, int32_t selection, const char* name) {
  if (list == nullptr || selection < 0 || static_cast<uint32_t>(selection) >= list->nameCount)
    return CancelNewChoice();
  CopyText(list->files[selection], templateFileName, sizeof templateFileName);
  templateNumber = static_cast<uint32_t>(selection) + 1;
  CopyText(name, newDatabaseName, sizeof newDatabaseName);
  return kNewAccepted;
}

uint32_t CancelNewChoice() {
  templateNumber = 0;
  return kNewCancelled;
}

int CreateNewDatabase(DatabaseFile* db, const char* workingPath) {
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
  if (CreateDatabaseFromTemplate(db, templatePath, workingPath, newDatabaseName) == 1) return 1;
  // Half a database is no database: nothing of it is left to be opened later.
  db->Close();
  platform::DeleteFileAt(workingPath);
  return 0;
}
