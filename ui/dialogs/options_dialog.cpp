// The Options dialog and the .vdr file association.
#include "store/text.h"

#include "ui/dialogs/options_dialog.h"

#include <initializer_list>

#include "core/folders.h"
#include "resources/resource.h"
#include "ui/shell_open.h"

uint32_t optionsOpen = 0;

namespace {

constexpr char kProgramFileName[] = "Veldrana.exe";

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      optionsOpen = 1;
      // The boxes hold nothing, so every opening starts with them cleared.
      for (int id : {IDC_OPTIONS_ONE, IDC_OPTIONS_TWO, IDC_OPTIONS_THREE})
        CheckDlgButton(dialog, id, BST_UNCHECKED);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:  // also Escape and the close box
          optionsOpen = 0;
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDC_OPTIONS_HELP:
          OpenHelpPage();
          return TRUE;
        case IDC_OPTIONS_ASSOCIATE:
          SetFileAssociations();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      // A dialog destroyed with its owner never sees OK or Cancel; without
      // this the flag would refuse every later opening.
      optionsOpen = 0;
      return FALSE;
    default:
      return FALSE;
  }
}

// programFolder + "Veldrana.exe" + suffix.
void ProgramPathWith(const char* suffix, char* text, size_t textSize) {
  CopyText(programFolder, text, textSize);
  AppendText(text, textSize, kProgramFileName);
  AppendText(text, textSize, suffix);
}

}  // namespace

void ShowOptions(HWND owner) {
  if (optionsOpen) return;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsProc, 0);
}

bool WriteRegistryText(HKEY root, const char* keyPath, const char* valueName, const char* text) {
  HKEY key;
  if (RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  // The stored length counts the terminating zero, as REG_SZ requires.
  const LONG result = RegSetValueExA(key, valueName, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text),
                                     static_cast<DWORD>(TextLength(text) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void AssociationCommand(char* command, size_t commandSize) {
  ProgramPathWith(" \"%1\"", command, commandSize);
  // A program path with a blank in it is quoted too. Unquoted, the system
  // would try "C:\Program" (and any program of that name) before
  // "C:\Program Files\...\Veldrana.exe".
  bool blank = false;
  for (const char* c = programFolder; *c; ++c) blank = blank || *c == ' ';
  if (!blank) return;
  char quoted[kAssociationTextSize];
  CopyText("\"", quoted, sizeof quoted);
  AppendText(quoted, sizeof quoted, programFolder);
  AppendText(quoted, sizeof quoted, kProgramFileName);
  AppendText(quoted, sizeof quoted, "\" \"%1\"");
  CopyText(quoted, command, commandSize);
}

void AssociationIcon(char* icon, size_t iconSize) { ProgramPathWith(",2", icon, iconSize); }

void SetFileAssociations() {
  char command[kAssociationTextSize];
  char icon[kAssociationTextSize];
  AssociationCommand(command, sizeof command);
  AssociationIcon(icon, sizeof icon);

  struct Entry {
    HKEY root;
    const char* key;
    const char* valueName;
    const char* text;
  };
  const Entry entries[] = {
      {HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe\\shell", nullptr, "&Open"},
      {HKEY_LOCAL_MACHINE, "Software\\Applications\\Veldrana.exe\\shell\\Open\\Command", nullptr,
       command},
      {HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe\\shell\\Open\\Command", nullptr, command},
      {HKEY_CLASSES_ROOT, ".vdr", nullptr, "Veldrana"},
      {HKEY_CLASSES_ROOT, "Veldrana\\shell\\Open\\Command", nullptr, command},
      {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vdr",
       "Application", "Veldrana.exe"},
      {HKEY_CLASSES_ROOT, "Veldrana\\DefaultIcon", nullptr, icon},
      {HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe\\DefaultIcon", nullptr, icon},
  };
  // Each entry on its own: one that cannot be written does not stop the rest.
  for (const Entry& entry : entries) WriteRegistryText(entry.root, entry.key, entry.valueName, entry.text);
}
