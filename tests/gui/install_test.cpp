// The MSI packages installed, upgraded, run and removed by Wine's own msiexec,
// in a fresh Wine prefix of their own with its own HOME (fixture msi_install,
// see install-fixture, which also makes the packages). Each test leaves
// nothing installed.
#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/gui/process_windows.h"
#include "tests/store_test_util.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/options_dialog.h"

namespace {

using testutil::ReadBytes;

#ifdef _WIN64
constexpr char kArch[] = "win64";
#else
constexpr char kArch[] = "win32";
#endif
const std::string kVersion = std::string(VELDRANA_VERSION_TEXT).substr(sizeof "Veldrana");

// The fixture's folder, as this Wine process names it.
std::string Fixture(const std::string& name) {
  std::string path = std::string("Z:" VELDRANA_INSTALL_DIR "/") + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    if (found.cFileName[0] != '.') names.insert(found.cFileName);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return names;
}

// Exactly the release folder's files and DefSet.txt, each as packaged.
void ExpectInstalled(const std::string& folder, const std::string& release) {
  std::set<std::string> expected = FileNames(release);
  ASSERT_GT(expected.size(), 4u) << release;
  expected.insert("DefSet.txt");
  EXPECT_EQ(FileNames(folder), expected) << folder;
  for (const std::string& name : FileNames(release))
    EXPECT_TRUE(ReadBytes(folder + name) == ReadBytes(release + name)) << name << " differs";
}

// Runs a program from the user's documents, as the shortcut starts it; its
// exit code, or 0 at once when the caller takes the started process.
DWORD Launch(const std::string& commandLine, PROCESS_INFORMATION* started = nullptr) {
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      SpecialFolder(CSIDL_PERSONAL).c_str(), &startup, &process))
    return 1;
  if (started) {
    *started = process;
    return 0;
  }
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

DWORD Msiexec(const std::string& arguments) { return Launch("msiexec.exe " + arguments + " /qn"); }

std::vector<std::string> InstalledProducts() {
  std::vector<std::string> products;
  char product[39];
  for (DWORD i = 0; MsiEnumProductsA(i, product) == ERROR_SUCCESS; ++i) products.push_back(product);
  return products;
}

std::string ProductInfo(const std::string& product, const char* property) {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  MsiGetProductInfoA(product.c_str(), property, value, &size);
  return value;
}

class Install : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InstalledProducts().empty()) << "left from an earlier run"; }
  void TearDown() override {
    for (const std::string& product : InstalledProducts()) Msiexec("/x " + product);
  }
  const std::string release = Fixture("new/Veldrana-" + kVersion + "-" + kArch);
  const std::string newer = "\"" + release + ".msi\"";
  const std::string older = "\"" + Fixture("older.msi") + "\"";
  const std::string userFolder = SpecialFolder(CSIDL_LOCAL_APPDATA) + "Programs\\Veldrana\\";
  const std::string dataFolder = SpecialFolder(CSIDL_APPDATA) + "Morvel\\Veldrana\\";
  const std::string shortcut = SpecialFolder(CSIDL_PROGRAMS) + "Veldrana.lnk";
};

TEST_F(Install, PerUserUpgradedRunAndRemoved) {
  // The older package, and the association set from its program.
  ASSERT_EQ(Msiexec("/i " + older), 0u);
  ExpectInstalled(userFolder, Fixture("older\\Veldrana\\"));
  SetFileAssociationsFor(userFolder.c_str());

  // The newer one replaces it in place, the association kept.
  ASSERT_EQ(Msiexec("/i " + newer), 0u);
  ExpectInstalled(userFolder, release + "\\");
  EXPECT_TRUE(Exists(shortcut));
  EXPECT_TRUE(FileAssociationPointsAt(userFolder.c_str()));
  std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  // Its entry in Installed apps: the About box's version and product page.
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), kVersion);
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_PUBLISHER), "Morvel");
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_HELPLINK), std::string(kSiteRoot) + "det.php?prog=Veldrana");
  EXPECT_TRUE(Exists(ProductInfo(products[0], INSTALLPROPERTY_PRODUCTICON)));

  // The older one is refused now, saying why in the message box of msiexec's
  // basic interface.
  PROCESS_INFORMATION refused = {};
  ASSERT_EQ(Launch("msiexec.exe /i " + older + " /qb", &refused), 0u);
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 60000; Sleep(100))
    box = WindowOf(refused.dwProcessId, "#32770");
  std::string message;
  for (HWND line = nullptr; box && (line = FindWindowExA(box, line, "Static", nullptr)) != nullptr;) {
    char text[300] = "";
    SendMessageA(line, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    message += text;
  }
  EXPECT_NE(message.find("A newer version of Veldrana is already installed."), std::string::npos) << message;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  if (WaitForSingleObject(refused.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(refused.hProcess, 1);
  GetExitCodeProcess(refused.hProcess, &code);
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  CloseHandle(refused.hProcess);
  CloseHandle(refused.hThread);
  EXPECT_EQ(InstalledProducts(), products);

  // The program as the shortcut starts it, on a copy of the sample: an
  // installed copy, with the templates beside it and its files in the
  // user's data folder.
  testutil::ScratchDir scratch;
  const std::string database = scratch.Path("World.vdr");
  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, database.c_str(), FALSE));
  PROCESS_INFORMATION program = {};
  ASSERT_EQ(Launch("\"" + userFolder + "Veldrana.exe\" \"" + database + "\"", &program), 0u);
  HWND window = nullptr;
  int columns = 0;
  for (DWORD start = GetTickCount(); columns == 0 && GetTickCount() - start < 30000; Sleep(100)) {
    if (!window) window = MainWindowOf(program.dwProcessId);
    HWND list = window ? FindWindowExA(window, nullptr, "SysListView32", nullptr) : nullptr;
    HWND header = list ? reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)) : nullptr;
    if (header) columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  }
  EXPECT_EQ(columns, 3 + 44);  // Index, Record, RecStat and WELT13.xml's 44 fields
  EXPECT_TRUE(ReadBytes(dataFolder + "Temp.dat") == ReadBytes(database));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(program.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(program.hProcess);
  CloseHandle(program.hThread);
  EXPECT_EQ(ReadBytes(dataFolder + "dVeldrana.dat").size(), 1008u);
  for (const char* name : {"dVeldrana.dat", "Temp.dat"}) EXPECT_FALSE(Exists(userFolder + name)) << name;

  // Removed: its files, folder, shortcut and association; the user's data
  // stays.
  ASSERT_TRUE(CopyFileA(database.c_str(), (dataFolder + "Mine.vdr").c_str(), FALSE));
  ASSERT_EQ(Msiexec("/x " + newer), 0u);
  EXPECT_TRUE(InstalledProducts().empty());
  EXPECT_FALSE(Exists(userFolder));
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_FALSE(FileAssociationPointsAt(userFolder.c_str()));
  for (const char* name : {"Mine.vdr", "dVeldrana.dat", "Temp.dat"}) EXPECT_TRUE(Exists(dataFolder + name)) << name;
}

TEST_F(Install, ForAllUsersIntoProgramFiles) {
  // The 64-bit package into the 64-bit Program Files, as this build sees it.
  const std::string machineFolder = SpecialFolder(CSIDL_PROGRAM_FILES) + "Veldrana\\";
  ASSERT_EQ(Msiexec("/i " + newer + " ALLUSERS=1"), 0u);
  ExpectInstalled(machineFolder, release + "\\");
  EXPECT_FALSE(Exists(userFolder));

  // Removed by its product code, as Installed apps does (Wine's msiexec,
  // given the package instead, forgets that it was for all users); the
  // association of another copy stays.
  SetFileAssociationsFor("C:\\Portable\\");
  const std::vector<std::string> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u);
  ASSERT_EQ(Msiexec("/x " + products[0]), 0u);
  EXPECT_FALSE(Exists(machineFolder));
  EXPECT_TRUE(FileAssociationPointsAt("C:\\Portable\\"));
  RemoveFileAssociations("C:\\Portable\\");
}

}  // namespace
