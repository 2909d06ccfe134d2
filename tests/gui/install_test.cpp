// The MSI packages installed and removed by Wine's own msiexec, in a Wine
// prefix of their own that the ctest fixture msi_install makes fresh
// (install-fixture, with the packages): what lands where, the entry in
// Installed apps, the installed program run as a user starts it, the
// uninstall, an upgrade over an older package and a refused downgrade, and an
// install for all users. Each test leaves the prefix with nothing installed.
#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/folders.h"
#include "resources/resource.h"
#include "tests/gui/process_windows.h"
#include "tests/store_test_util.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/options_dialog.h"

namespace {

using testutil::ReadBytes;

const std::string kDir = VELDRANA_INSTALL_DIR;  // the fixture's folder
constexpr char kProgramMenuLink[] = "Veldrana.lnk";

// A Unix path as this Wine process names it: on drive Z:, with backslashes.
std::string WindowsPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
      names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\";
}

// The release folder scripts/package made, ending with a backslash.
std::string NewRelease() {
  const std::string packages = WindowsPath(kDir) + "\\new\\";
  for (const std::string& name : FileNames(packages))
    if (Exists(packages + name + "\\Veldrana.exe")) return packages + name + "\\";
  return "";
}

std::string NewPackage() { return NewRelease().substr(0, NewRelease().size() - 1) + ".msi"; }
std::string OlderPackage() { return WindowsPath(kDir) + "\\older.msi"; }
std::string OlderRelease() { return WindowsPath(kDir) + "\\older\\Veldrana\\"; }
std::string LogFile() { return WindowsPath(kDir) + "\\msiexec.log"; }

std::string Version() { return std::string(VELDRANA_VERSION_TEXT).substr(sizeof "Veldrana"); }

// Starts Wine's msiexec with these arguments, a verbose log and no user
// interface, or with its basic one (/qb), which shows its errors.
PROCESS_INFORMATION StartMsiexec(const std::string& arguments, const char* ui) {
  std::string line = "msiexec.exe " + arguments + " " + ui + " /l*v \"" + LogFile() + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    ADD_FAILURE() << "cannot start " << line;
  return process;
}

// Its exit code, once it ended.
DWORD Finished(PROCESS_INFORMATION process) {
  if (!process.hProcess) return 1;
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    ADD_FAILURE() << "msiexec did not finish";
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

DWORD Msiexec(const std::string& arguments) { return Finished(StartMsiexec(arguments, "/qn")); }

BOOL CALLBACK AppendText(HWND control, LPARAM texts) {
  char text[512] = "";
  SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  *reinterpret_cast<std::string*>(texts) += std::string(text) + "\n";
  return TRUE;
}

// Runs msiexec with its basic interface, answers the message box it shows
// with OK and returns the box's texts; the exit code in code.
std::string MessageOfMsiexec(const std::string& arguments, DWORD* code) {
  PROCESS_INFORMATION process = StartMsiexec(arguments, "/qb");
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 60000; Sleep(100))
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT ||
        (box = WindowOf(process.dwProcessId, "#32770")) != nullptr)
      break;
  std::string texts;
  if (box) {
    EnumChildWindows(box, AppendText, reinterpret_cast<LPARAM>(&texts));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  *code = Finished(process);
  return texts;
}

std::string LogText() {
  const std::vector<uint8_t> bytes = ReadBytes(LogFile());
  std::string text;
  // Shown when a step fails; without the zeros, should a log be UTF-16.
  for (uint8_t b : bytes)
    if (b) text.push_back(static_cast<char>(b));
  return text;
}

// A property of a package, read from its Property table.
std::string PackageProperty(const std::string& package, const char* name) {
  MSIHANDLE database = 0, view = 0, record = 0;
  char value[256] = "";
  DWORD size = sizeof value;
  const std::string query = std::string("SELECT `Value` FROM `Property` WHERE `Property` = '") + name + "'";
  if (MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &database) == ERROR_SUCCESS &&
      MsiDatabaseOpenViewA(database, query.c_str(), &view) == ERROR_SUCCESS &&
      MsiViewExecute(view, 0) == ERROR_SUCCESS && MsiViewFetch(view, &record) == ERROR_SUCCESS)
    MsiRecordGetStringA(record, 1, value, &size);
  for (MSIHANDLE h : {record, view, database})
    if (h) MsiCloseHandle(h);
  return value;
}

// The products installed with the packages' upgrade code.
std::vector<std::string> InstalledProducts() {
  const std::string upgradeCode = PackageProperty(NewPackage(), "UpgradeCode");
  std::vector<std::string> products;
  char product[39];
  for (DWORD i = 0; MsiEnumRelatedProductsA(upgradeCode.c_str(), 0, i, product) == ERROR_SUCCESS; ++i)
    products.push_back(product);
  return products;
}

std::string ProductInfo(const std::string& product, const char* property) {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  MsiGetProductInfoA(product.c_str(), property, value, &size);
  return value;
}

// Uninstalls whatever a test left installed.
struct UninstallAtEnd {
  ~UninstallAtEnd() {
    for (const std::string& product : InstalledProducts()) Msiexec("/x " + product);
  }
};

// Exactly the release folder's files and DefSet.txt, each as packaged.
void ExpectInstalledFiles(const std::string& folder, const std::string& release) {
  std::set<std::string> expected = FileNames(release);
  ASSERT_GT(expected.size(), 4u) << release;
  expected.insert("DefSet.txt");
  EXPECT_EQ(FileNames(folder), expected) << folder;
  for (const std::string& name : FileNames(release))
    EXPECT_TRUE(ReadBytes(folder + name) == ReadBytes(release + name)) << name << " differs";
}

// What a link points at and where it starts the program.
void ReadShortcut(const std::string& link, std::string* target, std::string* workingFolder) {
  CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    char text[MAX_PATH] = "";
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
      shellLink->GetPath(text, MAX_PATH, nullptr, 0);
      *target = text;
      shellLink->GetWorkingDirectory(text, MAX_PATH);
      *workingFolder = text;
    }
    if (file) file->Release();
    shellLink->Release();
  }
  CoUninitialize();
}

// The text of a list column's heading, read through memory of the program's
// own, as the program's list lives in another process.
std::string HeadingOf(HWND list, DWORD processId, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!header || !process) return "";
  constexpr SIZE_T kText = 100;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(HDITEMA) + kText, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  HDITEMA item = {};
  item.mask = HDI_TEXT;
  item.pszText = remote + sizeof item;
  item.cchTextMax = kText;
  char text[kText] = "";
  if (remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
      SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(remote)))
    ReadProcessMemory(process, remote + sizeof item, text, kText - 1, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return text;
}

// Starts the program from the shortcut's target on a copy of the sample
// database, as a double click would: the main window shows the database with
// the template's headings, and the program keeps its working copy and, when
// it ends, its settings in the user's data folder, not beside itself.
void RunInstalledProgram(const std::string& program, const std::string& dataFolder) {
  testutil::ScratchDir scratch;
  const std::string database = scratch.Path("World countries.vdr");
  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, database.c_str(), FALSE));
  std::string line = "\"" + program + "\" \"" + database + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             SpecialFolder(CSIDL_PERSONAL).c_str(), &startup, &process));
  HWND window = nullptr, list = nullptr;
  std::string caption;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000 && caption != "World countries";) {
    if (WaitForSingleObject(process.hProcess, 100) != WAIT_TIMEOUT) break;
    if (!window) window = MainWindowOf(process.dwProcessId);
    char text[300] = "";
    if (window) GetWindowTextA(window, text, sizeof text);
    caption = text;
  }
  ASSERT_EQ(caption, "World countries");
  list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
  EXPECT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
  // WELT13.xml's first label, after Index, Record and RecStat: the template
  // was found beside the program.
  EXPECT_EQ(HeadingOf(list, process.dwProcessId, 3), "Country");
  EXPECT_EQ(ReadBytes(dataFolder + "Temp.dat"), ReadBytes(database));

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(ReadBytes(dataFolder + "dVeldrana.dat").size(), 1008u);
  const std::string programFolder = program.substr(0, program.rfind('\\') + 1);
  EXPECT_FALSE(Exists(programFolder + "dVeldrana.dat"));
  EXPECT_FALSE(Exists(programFolder + "Temp.dat"));
}

// The association the Options dialog writes, for a program in folder.
void Associate(const std::string& folder) {
  SetFolders(folder.c_str(), "");
  SetFileAssociations();
}

std::string OpenCommand() {
  char command[kAssociationTextSize] = "";
  LONG size = sizeof command;
  RegQueryValueA(HKEY_CLASSES_ROOT, "Veldrana\\shell\\Open\\Command", command, &size);
  return command;
}

std::string CommandFor(const std::string& folder) {
  SetFolders(folder.c_str(), "");
  char command[kAssociationTextSize];
  AssociationCommand(command, sizeof command);
  return command;
}

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NewRelease().empty()) << "the fixture msi_install made no packages in " << kDir;
    ASSERT_TRUE(InstalledProducts().empty()) << "an earlier test left Veldrana installed";
  }
  const std::string userFolder = SpecialFolder(CSIDL_LOCAL_APPDATA) + "Programs\\Veldrana\\";
  const std::string dataFolder = SpecialFolder(CSIDL_APPDATA) + "Morvel\\Veldrana\\";
  const std::string shortcut = SpecialFolder(CSIDL_PROGRAMS) + kProgramMenuLink;
  UninstallAtEnd uninstall;
};

TEST_F(Install, PerUserInstallRunsAsAnInstalledCopyAndUninstallKeepsTheUsersData) {
  ASSERT_EQ(Msiexec("/i \"" + NewPackage() + "\""), 0u) << LogText();
  ExpectInstalledFiles(userFolder, NewRelease());
  std::string target, workingFolder;
  ReadShortcut(shortcut, &target, &workingFolder);
  EXPECT_EQ(target, userFolder + "Veldrana.exe");
  if (workingFolder.empty() || workingFolder.back() != '\\') workingFolder += '\\';
  EXPECT_EQ(workingFolder, SpecialFolder(CSIDL_PERSONAL));

  // The entry in Installed apps: one product, with the About box's version
  // and product page, and the program's icon.
  const std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_INSTALLEDPRODUCTNAME), "Veldrana");
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), Version());
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_PUBLISHER), "Morvel");
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_HELPLINK),
            std::string(kSiteRoot) + "det.php?prog=Veldrana");
  const std::string icon = ProductInfo(products[0], INSTALLPROPERTY_PRODUCTICON);
  EXPECT_TRUE(Exists(icon)) << icon;

  RunInstalledProgram(target, dataFolder);
  const std::string database = dataFolder + "Mine.vdr";
  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, database.c_str(), FALSE));
  Associate(userFolder);

  ASSERT_EQ(Msiexec("/x \"" + NewPackage() + "\""), 0u) << LogText();
  EXPECT_TRUE(InstalledProducts().empty());
  EXPECT_FALSE(Exists(userFolder));
  EXPECT_FALSE(Exists(shortcut));
  // The user's data stays: the database, the settings and the working copy.
  for (const char* name : {"Mine.vdr", "dVeldrana.dat", "Temp.dat"})
    EXPECT_TRUE(Exists(dataFolder + name)) << name;
  // The association went with the program it pointed at.
  EXPECT_EQ(OpenCommand(), "");
  HKEY key;
  for (const char* gone : {".vdr", "Veldrana", "Applications\\Veldrana.exe"}) {
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, gone, 0, KEY_READ, &key), ERROR_SUCCESS) << gone;
  }
}

TEST_F(Install, UninstallLeavesAnAssociationOfAnotherCopy) {
  ASSERT_EQ(Msiexec("/i \"" + NewPackage() + "\""), 0u) << LogText();
  Associate("C:\\Portable Veldrana\\");
  ASSERT_EQ(Msiexec("/x \"" + NewPackage() + "\""), 0u) << LogText();
  EXPECT_FALSE(Exists(userFolder));
  EXPECT_EQ(OpenCommand(), CommandFor("C:\\Portable Veldrana\\"));
  RemoveFileAssociations("C:\\Portable Veldrana\\");
  EXPECT_EQ(OpenCommand(), "");
}

TEST_F(Install, ANewerPackageReplacesAnOlderOneAndAnOlderOneIsRefused) {
  ASSERT_EQ(Msiexec("/i \"" + OlderPackage() + "\""), 0u) << LogText();
  ExpectInstalledFiles(userFolder, OlderRelease());
  Associate(userFolder);

  ASSERT_EQ(Msiexec("/i \"" + NewPackage() + "\""), 0u) << LogText();
  std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), Version());
  ExpectInstalledFiles(userFolder, NewRelease());
  EXPECT_TRUE(Exists(shortcut));
  // Removing the older version on the way kept the association.
  EXPECT_EQ(OpenCommand(), CommandFor(userFolder));

  DWORD code = 0;
  EXPECT_NE(MessageOfMsiexec("/i \"" + OlderPackage() + "\"", &code)
                .find("A newer version of Veldrana is already installed."),
            std::string::npos);
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_EQ(InstalledProducts(), products);
  ExpectInstalledFiles(userFolder, NewRelease());
}

TEST_F(Install, AllUsersInstallGoesToProgramFiles) {
  // The 64-bit package into the 64-bit Program Files, as this build's own
  // process sees it.
  const std::string machineFolder = SpecialFolder(CSIDL_PROGRAM_FILES) + "Veldrana\\";
  ASSERT_EQ(Msiexec("/i \"" + NewPackage() + "\" ALLUSERS=1"), 0u) << LogText();
  ExpectInstalledFiles(machineFolder, NewRelease());
  EXPECT_FALSE(Exists(userFolder));
  const std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  // By its product code, as Installed apps removes it: Wine's msiexec, given
  // the package's path instead, forgets that it was installed for all users.
  ASSERT_EQ(Msiexec("/x " + products[0]), 0u) << LogText();
  EXPECT_FALSE(Exists(machineFolder));
}

}  // namespace
