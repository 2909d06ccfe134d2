// The package's custom action (see installer/Veldrana.wxs): when the program
// is removed, the .vdr association that its Options dialog wrote goes with
// it; an association of another copy stays.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "core/folders.h"
#include "ui/dialogs/options_dialog.h"

// Deferred, so the installer hands over the folder being removed
// ([INSTALLDIR], ending in a backslash) as CustomActionData. Whatever
// happens, the uninstall goes on.
extern "C" __declspec(dllexport) UINT __stdcall RemoveOwnAssociation(MSIHANDLE install) {
  char folder[kFolderSize] = "";
  DWORD size = sizeof folder;
  if (MsiGetPropertyA(install, "CustomActionData", folder, &size) == ERROR_SUCCESS && folder[0])
    RemoveFileAssociations(folder);
  return ERROR_SUCCESS;
}
