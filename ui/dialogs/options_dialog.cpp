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

// folder + "Veldrana.exe" + suffix.
void ProgramPathWith(const char* folder, const char* suffix, char* text, size_t textSize) {
  CopyText(folder, text, textSize);
  AppendText(text, textSize, kProgramFileName);
  AppendText(text, textSize, suffix);
}

// The open command for the program in folder (see AssociationCommand).
void CommandFor(const char* folder, char* command, size_t commandSize) {
  ProgramPathWith(folder, " \"%1\"", command, commandSize);
  // A program path with a blank in it is quoted too. Unquoted, the system
  // would try "C:\Program" (and any program of that name) before
  // "C:\Program Files\...\Veldrana.exe".
  bool blank = false;
  for (const char* c = folder; *c; ++c) blank = blank || *c == ' ';
  if (!blank) return;
  char quoted[kAssociationTextSize];
  CopyText("\"", quoted, sizeof quoted);
  AppendText(quoted, sizeof quoted, folder);
  AppendText(quoted, sizeof quoted, kProgramFileName);
  AppendText(quoted, sizeof quoted, "\" \"%1\"");
  CopyText(quoted, command, commandSize);
}

// Whether root\keyPath holds the text value (valueName, or the unnamed
// value for null), compared without case as the system compares paths.
bool RegistryTextIs(HKEY root, const char* keyPath, const char* valueName, const char* text) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  char value[kAssociationTextSize] = "";
  DWORD type = 0;
  DWORD size = sizeof value - 1;
  const LONG result =
      RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ && lstrcmpiA(value, text) == 0;
}

// Deletes root\keyPath when it holds no value and no key any more.
void DeleteKeyIfEmpty(HKEY root, const char* keyPath) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (subkeys == 0 && values == 0) RegDeleteKeyA(root, keyPath);
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
  CommandFor(programFolder, command, commandSize);
}

void AssociationIcon(char* icon, size_t iconSize) {
  ProgramPathWith(programFolder, ",2", icon, iconSize);
}

void SetFileAssociations() { SetFileAssociationsFor(programFolder); }

void SetFileAssociationsFor(const char* folder) {
  char command[kAssociationTextSize];
  char icon[kAssociationTextSize];
  CommandFor(folder, command, sizeof command);
  ProgramPathWith(folder, ",2", icon, sizeof icon);

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

bool FileAssociationPointsAt(const char* folder) {
  char command[kAssociationTextSize];
  CommandFor(folder, command, sizeof command);
  return RegistryTextIs(HKEY_CLASSES_ROOT, "Veldrana\\shell\\Open\\Command", nullptr, command);
}

void RemoveFileAssociations(const char* folder) {
  char command[kAssociationTextSize];
  CommandFor(folder, command, sizeof command);
  // The program's own keys, named after its file, in both places.
  if (RegistryTextIs(HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe\\shell\\Open\\Command", nullptr,
                     command))
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe");
  if (RegistryTextIs(HKEY_LOCAL_MACHINE, "Software\\Applications\\Veldrana.exe\\shell\\Open\\Command",
                     nullptr, command))
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Applications\\Veldrana.exe");
  // The file type, and with it what makes .vdr files that type. Only the
  // values written here go: .vdr may hold the shell's own keys too.
  if (!FileAssociationPointsAt(folder)) return;
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "Veldrana");
  if (RegistryTextIs(HKEY_CLASSES_ROOT, ".vdr", nullptr, "Veldrana")) {
    RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".vdr", nullptr);
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, ".vdr");
  }
  const char* const kUserChoice = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vdr";
  if (RegistryTextIs(HKEY_CURRENT_USER, kUserChoice, "Application", kProgramFileName)) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserChoice, "Application");
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, kUserChoice);
  }
}
