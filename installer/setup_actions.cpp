// The package's custom actions (see installer/Veldrana.wxs): when the
// program is removed, the .vdr association that its Options dialog wrote
// goes with it; an association of another copy stays, and so does the
// program's own through an upgrade.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "core/folders.h"
#include "ui/dialogs/options_dialog.h"

namespace {

// A deferred action gets its folder ([INSTALLDIR], ending in a backslash) as
// CustomActionData; false when there is none.
bool FolderOfAction(MSIHANDLE install, char (&folder)[kFolderSize]) {
  DWORD size = sizeof folder;
  return MsiGetPropertyA(install, "CustomActionData", folder, &size) == ERROR_SUCCESS && folder[0];
}

}  // namespace

// At the uninstall, not the upgrade's removal of the older version.
// Whatever happens here, the uninstall goes on.
extern "C" __declspec(dllexport) UINT __stdcall RemoveOwnAssociation(MSIHANDLE install) {
  char folder[kFolderSize] = "";
  if (FolderOfAction(install, folder)) RemoveFileAssociations(folder);
  return ERROR_SUCCESS;
}

// Before an upgrade removes the older version: when the association points
// at the folder the new version goes to, RestoreOwnAssociation is to write it
// again. Windows Installer tells the older version's uninstall that it is an
// upgrade (UPGRADINGPRODUCTCODE), and that one keeps it; Wine's does not, and
// the older version takes it away.
extern "C" __declspec(dllexport) UINT __stdcall NoteOwnAssociation(MSIHANDLE install) {
  char folder[kFolderSize] = "";
  DWORD size = sizeof folder;
  if (MsiGetPropertyA(install, "INSTALLDIR", folder, &size) == ERROR_SUCCESS && folder[0] &&
      FileAssociationPointsAt(folder))
    MsiSetPropertyA(install, "RestoreOwnAssociation", folder);
  return ERROR_SUCCESS;
}

// After the new version's files are in place.
extern "C" __declspec(dllexport) UINT __stdcall RestoreOwnAssociation(MSIHANDLE install) {
  char folder[kFolderSize] = "";
  if (FolderOfAction(install, folder)) SetFileAssociationsFor(folder);
  return ERROR_SUCCESS;
}
