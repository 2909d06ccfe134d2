// The Options dialog and the .vdr file association under Wine: the real
// dialog over a real owner, answered from a WH_CBT hook and from steps run in
// its own loop; the registry values read back with RegQueryValueExA, in the
// real registry of the test prefix and in a sandbox that the three root keys
// are redirected to (RegOverridePredefKey), where a key can be locked to see
// a write fail.
#include "ui/dialogs/options_dialog.h"
#include "ui/shell_open.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/folders.h"
#include "resources/resource.h"
#include "tests/gui/dialog_steps.h"
#include "tests/gui/gui_test_util.h"

using namespace guitest;
using dialogsteps::Later;
using dialogsteps::ShellOpenRecorder;

::testing::Environment* const desktop =
    ::testing::AddGlobalTestEnvironment(new dialogsteps::TestDesktop);

namespace {

constexpr char kCaption[] = "Veldrana Options";
constexpr char kProgramFolder[] = "C:\\Tools\\";

struct RegistryValue {
  bool found = false;
  DWORD type = 0;
  std::string data;     // as the ANSI call reads it back
  DWORD wideSize = 0;   // the bytes stored, as the Unicode call sees them
};

RegistryValue ReadValue(HKEY root, const char* key, const char* name) {
  RegistryValue value;
  HKEY handle;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return value;
  char data[1024];
  DWORD size = sizeof data;
  if (RegQueryValueExA(handle, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) ==
      ERROR_SUCCESS) {
    value.found = true;
    value.data.assign(data, size);
  }
  // The ANSI call adds a missing terminator when it reads; the Unicode one
  // shows what was stored.
  wchar_t wideName[64] = {};
  if (name) MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 64);
  RegQueryValueExW(handle, name ? wideName : nullptr, nullptr, nullptr, nullptr, &value.wideSize);
  RegCloseKey(handle);
  return value;
}

// What the registry holds for a text: the text and its terminating zero.
std::string Stored(const std::string& text) { return text + '\0'; }

struct Entry {
  HKEY root;
  const char* rootName;
  const char* key;
  const char* name;  // null: the unnamed value
  std::string text;
};

// The eight values in the order they are written, for the program in folder.
std::vector<Entry> ExpectedEntries(const std::string& folder) {
  const bool blank = folder.find(' ') != std::string::npos;
  const std::string program = folder + "Veldrana.exe";
  const std::string command = (blank ? "\"" + program + "\"" : program) + " \"%1\"";
  const std::string icon = folder + "Veldrana.exe,2";
  return {
      {HKEY_CLASSES_ROOT, "HKCR", "Applications\\Veldrana.exe\\shell", nullptr, "&Open"},
      {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Applications\\Veldrana.exe\\shell\\Open\\Command",
       nullptr, command},
      {HKEY_CLASSES_ROOT, "HKCR", "Applications\\Veldrana.exe\\shell\\Open\\Command", nullptr,
       command},
      {HKEY_CLASSES_ROOT, "HKCR", ".vdr", nullptr, "Veldrana"},
      {HKEY_CLASSES_ROOT, "HKCR", "Veldrana\\shell\\Open\\Command", nullptr, command},
      {HKEY_CURRENT_USER, "HKCU",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vdr", "Application",
       "Veldrana.exe"},
      {HKEY_CLASSES_ROOT, "HKCR", "Veldrana\\DefaultIcon", nullptr, icon},
      {HKEY_CLASSES_ROOT, "HKCR", "Applications\\Veldrana.exe\\DefaultIcon", nullptr, icon},
  };
}

// Each value present as REG_SZ of exactly its text and its terminating zero,
// or absent where `written` says so.
void ExpectEntries(const std::string& folder, const std::vector<bool>& written) {
  const std::vector<Entry> entries = ExpectedEntries(folder);
  ASSERT_EQ(written.size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    SCOPED_TRACE(testing::Message() << "row " << i + 1 << ": " << e.rootName << "\\" << e.key
                                    << " " << (e.name ? e.name : "(unnamed)"));
    const RegistryValue value = ReadValue(e.root, e.key, e.name);
    ASSERT_EQ(value.found, written[i]);
    if (!value.found) continue;
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data, Stored(e.text));
    EXPECT_EQ(value.wideSize, (e.text.size() + 1) * sizeof(wchar_t));
  }
}

const std::vector<bool> kAllWritten(8, true);

// The three root keys redirected to scratch keys under HKCU for the life of
// the sandbox, so the tests see exactly what was written and leave nothing
// behind.
class RegistrySandbox {
 public:
  RegistrySandbox() {
    base_ = "Software\\Veldrana tests\\sandbox " + std::to_string(GetCurrentProcessId());
    for (int i = 0; i < 3; ++i) {
      const std::string path = base_ + "\\" + kNames[i];
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &keys_[i], nullptr);
    }
    for (int i = 0; i < 3; ++i) RegOverridePredefKey(kRoots[i], keys_[i]);
  }
  ~RegistrySandbox() {
    for (int i = 0; i < 3; ++i) RegOverridePredefKey(kRoots[i], nullptr);
    for (HKEY key : keys_) RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  bool ok() const { return keys_[0] && keys_[1] && keys_[2]; }

  // Makes root\keyPath (in the sandbox) a volatile key. A key that lasts
  // cannot be made below a volatile one, so from now on every key the
  // program tries to create below it is refused, as keys of HKLM and HKCR
  // are for a user without administrator rights.
  bool Lock(HKEY root, const std::string& keyPath) {
    // The keys above it last, as they would in a real registry; only the
    // key itself is volatile.
    const size_t cut = keyPath.rfind('\\');
    HKEY parent = keys_[IndexOf(root)], key;
    const bool ownParent = cut != std::string::npos;
    if (ownParent && RegCreateKeyExA(parent, keyPath.substr(0, cut).c_str(), 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &parent, nullptr) != ERROR_SUCCESS)
      return false;
    const std::string name = ownParent ? keyPath.substr(cut + 1) : keyPath;
    const LONG result = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (ownParent) RegCloseKey(parent);
    if (result != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  // Number of subkeys the sandbox of a root holds.
  DWORD SubkeyCount(HKEY root) const {
    DWORD count = 0;
    RegQueryInfoKeyA(keys_[IndexOf(root)], nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr);
    return count;
  }

 private:
  static int IndexOf(HKEY root) {
    return root == HKEY_CLASSES_ROOT ? 0 : root == HKEY_LOCAL_MACHINE ? 1 : 2;
  }
  const HKEY kRoots[3] = {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  const char* const kNames[3] = {"classes", "machine", "user"};
  std::string base_;
  HKEY keys_[3] = {};
};

class OptionsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    owner = CreateTestWindow("Options owner");
    other = CreateTestWindow("Record form stand-in");
  }
  static void TearDownTestSuite() {
    DestroyWindow(owner);
    DestroyWindow(other);
    owner = other = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(owner, nullptr);
    SetFolders(kProgramFolder, "C:\\Data\\");
    optionsOpen = 0;
  }
  static HWND owner;
  static HWND other;
};
HWND OptionsTest::owner = nullptr;
HWND OptionsTest::other = nullptr;

// ---- SetFileAssociations ----

TEST_F(OptionsTest, AssociationTextsAreBuiltOnTheProgramFolder) {
  char command[kAssociationTextSize], icon[kAssociationTextSize];
  AssociationCommand(command, sizeof command);
  AssociationIcon(icon, sizeof icon);
  EXPECT_STREQ(command, "C:\\Tools\\Veldrana.exe \"%1\"");
  EXPECT_STREQ(icon, "C:\\Tools\\Veldrana.exe,2");

  // A folder with a blank: the program's path is quoted as well, so that
  // the system cannot take "C:\Program" for the program.
  SetFolders("C:\\Program Files\\Veldrana\\", "");
  AssociationCommand(command, sizeof command);
  AssociationIcon(icon, sizeof icon);
  EXPECT_STREQ(command, "\"C:\\Program Files\\Veldrana\\Veldrana.exe\" \"%1\"");
  EXPECT_STREQ(icon, "C:\\Program Files\\Veldrana\\Veldrana.exe,2");

  // The longest folder there can be still fits whole, quoted or not.
  for (char fill : {'f', ' '}) {
    std::string longest(kFolderSize - 2, fill);
    longest += '\\';
    SetFolders(longest.c_str(), "");
    AssociationCommand(command, sizeof command);
    const std::string program = longest + "Veldrana.exe";
    EXPECT_EQ(std::string(command),
              (fill == ' ' ? "\"" + program + "\"" : program) + " \"%1\"");
  }
}

TEST_F(OptionsTest, WritesTheEightValuesTwiceInTheRealRegistry) {
  SetFileAssociations();
  ExpectEntries(kProgramFolder, kAllWritten);
  // Again, from another folder: the same keys take the new texts.
  SetFolders("C:\\Program Files\\Veldrana\\", "C:\\Data\\");
  SetFileAssociations();
  ExpectEntries("C:\\Program Files\\Veldrana\\", kAllWritten);

  // Leave the test prefix as it was.
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".vdr");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "Veldrana");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Applications\\Veldrana.exe");
  RegDeleteTreeA(HKEY_CURRENT_USER,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vdr");
  EXPECT_FALSE(ReadValue(HKEY_CLASSES_ROOT, ".vdr", nullptr).found);
}

TEST_F(OptionsTest, WritesIntoTheRedirectedRootsOnly) {
  {
    RegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.ok());
    SetFileAssociations();
    ExpectEntries(kProgramFolder, kAllWritten);
    // "Applications", ".vdr" and "Veldrana"; "Software" in the other two.
    EXPECT_EQ(sandbox.SubkeyCount(HKEY_CLASSES_ROOT), 3u);
    EXPECT_EQ(sandbox.SubkeyCount(HKEY_LOCAL_MACHINE), 1u);
    EXPECT_EQ(sandbox.SubkeyCount(HKEY_CURRENT_USER), 1u);
  }
  EXPECT_FALSE(ReadValue(HKEY_CLASSES_ROOT, ".vdr", nullptr).found);
}

TEST_F(OptionsTest, AFailedWriteDoesNotStopTheOthers) {
  struct Lock {
    HKEY root;
    const char* key;  // nothing can be created below it
  };
  const Lock kMachineRow = {HKEY_LOCAL_MACHINE, "Software\\Applications\\Veldrana.exe\\shell\\Open"};
  const Lock kFifthRow = {HKEY_CLASSES_ROOT, "Veldrana\\shell\\Open"};
  const Lock kUserRow = {HKEY_CURRENT_USER,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts"};
  struct Case {
    const char* name;
    std::vector<Lock> locks;
    std::vector<bool> written;
  } const cases[] = {
      {"HKLM refused", {kMachineRow}, {true, false, true, true, true, true, true, true}},
      {"one in the middle", {kFifthRow}, {true, true, true, true, false, true, true, true}},
      {"HKCU refused", {kUserRow}, {true, true, true, true, true, false, true, true}},
      {"three apart", {kMachineRow, kFifthRow, kUserRow},
       {true, false, true, true, false, false, true, true}},
      {"the first, with two more below the same key",
       {{HKEY_CLASSES_ROOT, "Applications\\Veldrana.exe"}},
       {false, true, false, true, true, true, true, false}},
      {"the last of HKCR's own key",
       {{HKEY_CLASSES_ROOT, "Veldrana"}},
       {true, true, true, true, false, true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.ok());
    for (const Lock& lock : c.locks) ASSERT_TRUE(sandbox.Lock(lock.root, lock.key));
    SetFileAssociations();
    SetFileAssociations();
    ExpectEntries(kProgramFolder, c.written);
  }
}

TEST_F(OptionsTest, WriteRegistryTextCreatesOrOpensTheKeyAndSetsTheValue) {
  RegistrySandbox sandbox;
  ASSERT_TRUE(sandbox.ok());
  EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "A\\B", nullptr, "text"));
  EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "A\\B", "Named", ""));
  // An existing key is opened, and its value replaced.
  EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "A\\B", nullptr, "other"));
  RegistryValue unnamed = ReadValue(HKEY_CURRENT_USER, "A\\B", nullptr);
  RegistryValue named = ReadValue(HKEY_CURRENT_USER, "A\\B", "Named");
  ASSERT_TRUE(unnamed.found && named.found);
  EXPECT_EQ(unnamed.data, Stored("other"));
  EXPECT_EQ(named.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(named.data, Stored(""));  // an empty text is its terminator alone
  EXPECT_EQ(named.wideSize, sizeof(wchar_t));

  ASSERT_TRUE(sandbox.Lock(HKEY_CURRENT_USER, "V"));
  EXPECT_FALSE(WriteRegistryText(HKEY_CURRENT_USER, "V\\C", nullptr, "text"));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, "V\\C", nullptr).found);
}

// ---- RemoveFileAssociations, as the uninstall runs it ----

TEST_F(OptionsTest, RemovesTheAssociationWhereItOpensTheProgramInTheFolderOnly) {
  const char* const kOther = "C:\\Other copy\\";
  const std::vector<bool> kNone(8, false);
  struct Case {
    const char* associated;  // the folder the association was written for
    const char* typeOf;      // then the "Veldrana" type's command made this folder's
    const char* removed;     // the folder removed
    std::vector<bool> left;  // which of the eight values stay
  } const cases[] = {
      {kProgramFolder, kProgramFolder, "c:\\TOOLS\\", kNone},  // a path's case does not count
      {"C:\\Program Files\\V\\", "C:\\Program Files\\V\\", "C:\\Program Files\\V\\", kNone},
      {kOther, kOther, kProgramFolder, kAllWritten},
      {kProgramFolder, kOther, kProgramFolder, {false, false, false, true, true, true, true, false}},
      {kOther, kProgramFolder, kProgramFolder, {true, true, true, false, false, false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.associated) + ", type " + c.typeOf + ", removed " + c.removed);
    RegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.ok());
    SetFileAssociationsFor(c.associated);
    // A value of the shell's own keeps .vdr's key.
    WriteRegistryText(HKEY_CLASSES_ROOT, ".vdr", "Content Type", "application/x-veldrana");
    SetFolders(c.typeOf, "");
    char command[kAssociationTextSize];
    AssociationCommand(command, sizeof command);
    WriteRegistryText(HKEY_CLASSES_ROOT, "Veldrana\\shell\\Open\\Command", nullptr, command);
    RemoveFileAssociations(c.removed);
    std::vector<bool> left;
    for (const Entry& e : ExpectedEntries(kProgramFolder)) left.push_back(ReadValue(e.root, e.key, e.name).found);
    EXPECT_EQ(left, c.left);
    EXPECT_TRUE(ReadValue(HKEY_CLASSES_ROOT, ".vdr", "Content Type").found);
  }
}

// ---- The dialog ----

TEST_F(OptionsTest, ShowsItsControlsWithTheBoxesCleared) {
  struct Control {
    int id;
    const char* text;
  } const controls[] = {{IDC_OPTIONS_ONE, "One"},
                        {IDC_OPTIONS_TWO, "Two"},
                        {IDC_OPTIONS_THREE, "Three"},
                        {IDC_OPTIONS_ASSOCIATE, "Set File Associations"},
                        {IDC_OPTIONS_HELP, "Help"},
                        {IDCANCEL, "Cancel"},
                        {IDOK, "OK"}};
  HWND seen = nullptr;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    seen = dialog;
    EXPECT_EQ(optionsOpen, 1u);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    for (const Control& control : controls) {
      SCOPED_TRACE(control.text);
      EXPECT_EQ(ItemText(dialog, control.id), control.text);
    }
    for (int box : {IDC_OPTIONS_ONE, IDC_OPTIONS_TWO, IDC_OPTIONS_THREE})
      EXPECT_EQ(IsDlgButtonChecked(dialog, box), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    PostCommand(dialog, IDOK);
  });
  ShowOptions(owner);
  EXPECT_EQ(answerer.answered(), 1);
  EXPECT_EQ(answerer.others(), 0);
  EXPECT_EQ(optionsOpen, 0u);
  EXPECT_FALSE(IsWindow(seen));
}

TEST_F(OptionsTest, TickedBoxesAreNotKept) {
  RegistrySandbox sandbox;
  ASSERT_TRUE(sandbox.ok());
  int openings = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    ++openings;
    for (int box : {IDC_OPTIONS_ONE, IDC_OPTIONS_TWO, IDC_OPTIONS_THREE}) {
      EXPECT_EQ(IsDlgButtonChecked(dialog, box), static_cast<UINT>(BST_UNCHECKED))
          << "opening " << openings << ", box " << box;
    }
    if (openings == 1) {
      Later(10, [dialog] {
        for (int box : {IDC_OPTIONS_ONE, IDC_OPTIONS_TWO, IDC_OPTIONS_THREE}) {
          SendDlgItemMessageA(dialog, box, BM_CLICK, 0, 0);
          EXPECT_EQ(IsDlgButtonChecked(dialog, box), static_cast<UINT>(BST_CHECKED));
        }
        PostCommand(dialog, IDOK);
      });
    } else {
      PostCommand(dialog, IDOK);
    }
  });
  ShowOptions(owner);
  ShowOptions(owner);
  EXPECT_EQ(openings, 2);
  // OK stored nothing anywhere.
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    EXPECT_EQ(sandbox.SubkeyCount(root), 0u);
}

TEST_F(OptionsTest, EveryWayOutClosesItAndClearsTheFlag) {
  struct Way {
    const char* name;
    std::function<void(HWND)> close;
  } const ways[] = {
      {"OK", [](HWND d) { PostCommand(d, IDOK); }},
      {"Cancel", [](HWND d) { PostCommand(d, IDCANCEL); }},
      {"Enter", [](HWND d) { PostKey(d, VK_RETURN); }},
      {"Escape", [](HWND d) { PostKey(d, VK_ESCAPE); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    DialogAnswerer answerer(kCaption, [&](HWND dialog) {
      // Only through the dialog's own loop, once it runs.
      Later(10, [&, dialog] { way.close(dialog); });
    });
    ShowOptions(owner);
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(optionsOpen, 0u);
  }
}

TEST_F(OptionsTest, SetFileAssociationsButtonWritesAndTheDialogStays) {
  RegistrySandbox sandbox;
  ASSERT_TRUE(sandbox.ok());
  int checks = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    PostCommand(dialog, IDC_OPTIONS_ASSOCIATE);
    Later(20, [&, dialog] {
      EXPECT_TRUE(IsWindow(dialog));
      EXPECT_EQ(optionsOpen, 1u);
      ExpectEntries(kProgramFolder, kAllWritten);
      ++checks;
      // Pressed again: the same values, no error, still open.
      PostCommand(dialog, IDC_OPTIONS_ASSOCIATE);
      Later(20, [&, dialog] {
        EXPECT_TRUE(IsWindow(dialog));
        ExpectEntries(kProgramFolder, kAllWritten);
        ++checks;
        PostCommand(dialog, IDCANCEL);
      });
    });
  });
  ShowOptions(owner);
  EXPECT_EQ(checks, 2);
  EXPECT_EQ(answerer.others(), 0);  // nothing was shown
  // Cancel does not undo them.
  ExpectEntries(kProgramFolder, kAllWritten);
}

TEST_F(OptionsTest, HelpOpensTheHelpPageAndTheDialogStays) {
  ShellOpenRecorder recorder;
  bool checked = false;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    PostCommand(dialog, IDC_OPTIONS_HELP);
    Later(20, [&, dialog] {
      EXPECT_TRUE(IsWindow(dialog));
      EXPECT_EQ(recorder.opened(), std::vector<std::string>{"C:\\Tools\\ReadMe.htm"});
      checked = true;
      PostCommand(dialog, IDOK);
    });
  });
  ShowOptions(owner);
  EXPECT_TRUE(checked);
  EXPECT_EQ(recorder.opened().size(), 1u);
}

TEST_F(OptionsTest, ASecondRequestWhileOpenShowsNoSecondDialog) {
  // The record form and the main window are both usable while the dialog
  // is open; a second request from either returns at once.
  int secondReturned = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    Later(10, [&, dialog] {
      ShowOptions(owner);
      ++secondReturned;
      ShowOptions(other);
      ++secondReturned;
      EXPECT_EQ(optionsOpen, 1u);
      PostCommand(dialog, IDOK);
    });
  });
  ShowOptions(owner);
  EXPECT_EQ(secondReturned, 2);
  EXPECT_EQ(answerer.answered(), 1);
  // Closed, it opens again.
  ShowOptions(other);
  EXPECT_EQ(answerer.answered(), 2);
}

TEST_F(OptionsTest, AnOwnerDestroyedUnderTheDialogLeavesNoFlagBehind) {
  HWND doomed = CreateTestWindow("Doomed owner");
  ASSERT_NE(doomed, nullptr);
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    if (GetWindow(dialog, GW_OWNER) == doomed)
      Later(10, [doomed] { DestroyWindow(doomed); });
    else
      PostCommand(dialog, IDOK);
  });
  ShowOptions(doomed);
  EXPECT_EQ(optionsOpen, 0u);
  ShowOptions(owner);
  EXPECT_EQ(answerer.answered(), 2);
}

}  // namespace
