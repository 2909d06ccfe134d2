// The release folder that scripts/package makes, unpacked from its zip (the
// ctest fixture "release_folder" does both), checked as a user gets it: what
// it holds, and the packaged Veldrana.exe run as a process of its own, from a
// copy of the folder, on a database named on its command line.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "tests/gui/process_windows.h"
#include "tests/store_test_util.h"

namespace {

using testutil::ReadBytes;

std::set<std::string> FileNames(const std::string& folder, const char* pattern = "*") {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
      names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

#ifdef _WIN64
constexpr char kReleaseFolders[] = "Veldrana-*-win64";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr char kReleaseFolders[] = "Veldrana-*-win32";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
#endif

// The one folder in the unpacked zip, named for this build, ending with a
// backslash.
std::string ReleaseFolder() {
  const std::string unpacked = std::string(VELDRANA_RELEASE_UNPACKED) + "\\";
  EXPECT_EQ(FileNames(unpacked, "Veldrana-*").size(), 1u) << "in " << unpacked;
  const std::set<std::string> folders = FileNames(unpacked, kReleaseFolders);
  EXPECT_EQ(folders.size(), 1u) << "in " << unpacked;
  return folders.empty() ? std::string() : unpacked + *folders.begin() + "\\";
}

// The subsystem field of a program file's PE header, for a program of this
// build's machine; it lies at the same place in PE32 and PE32+ headers.
int Subsystem(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return -1;
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, bytes.data(), sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE ||
      bytes.size() < dos.e_lfanew + sizeof(IMAGE_NT_HEADERS32))
    return -1;
  IMAGE_NT_HEADERS32 nt;
  std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
  if (nt.Signature != IMAGE_NT_SIGNATURE || nt.FileHeader.Machine != kMachine)
    return -1;
  return nt.OptionalHeader.Subsystem;
}

bool CopyFolder(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  for (const std::string& name : FileNames(from))
    if (!CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE)) return false;
  return true;
}

// A process that is ended if the test leaves it running.
struct Process {
  PROCESS_INFORMATION info = {};
  ~Process() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
};

TEST(ReleaseFolder, HoldsTheProgramsTheTemplatesAndTheHelpPage) {
  const std::string folder = ReleaseFolder();
  ASSERT_FALSE(folder.empty());
  const std::string data = std::string(VELDRANA_SOURCE_DIR) + "\\data\\";

  std::set<std::string> expected = {"Veldrana.exe", "vdrtool.exe", "StyleLst.txt", "ReadMe.htm"};
  const std::set<std::string> templates = FileNames(data, "*.xml");
  EXPECT_TRUE(templates.count("WELT13.xml") && templates.count("Spare.xml"));
  expected.insert(templates.begin(), templates.end());
  // Nothing else: no settings, no working copy, no DefSet.txt.
  EXPECT_EQ(FileNames(folder), expected);

  for (const std::string& name : FileNames(folder)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) continue;
    // The help page as the build wrote the version into it.
    const std::string source = name == "ReadMe.htm" ? VELDRANA_HELP_PAGE : data + name;
    EXPECT_EQ(ReadBytes(folder + name), ReadBytes(source)) << name;
  }
  const std::vector<uint8_t> help = ReadBytes(folder + "ReadMe.htm");
  const std::string helpText(help.begin(), help.end());
  EXPECT_NE(helpText.find("<h1>" VELDRANA_VERSION_TEXT "</h1>"), std::string::npos);
  EXPECT_EQ(helpText.find("@VELDRANA_VERSION@"), std::string::npos);
  EXPECT_EQ(Subsystem(folder + "Veldrana.exe"), IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_EQ(Subsystem(folder + "vdrtool.exe"), IMAGE_SUBSYSTEM_WINDOWS_CUI);
}

TEST(ReleaseFolder, ProgramOpensTheDatabaseOnItsCommandLineAndEndsCleanly) {
  const std::string release = ReleaseFolder();
  ASSERT_FALSE(release.empty());
  // A copy of the folder where a user might put it, blanks in both paths.
  testutil::ScratchDir scratch;
  const std::string folder = scratch.Path("Veldrana copy") + "\\";
  ASSERT_TRUE(CopyFolder(release, folder));
  const std::string dataFolder = scratch.Path("My Data") + "\\";
  CreateDirectoryA(dataFolder.c_str(), nullptr);
  const std::string database = dataFolder + "World countries.vdr";
  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, database.c_str(), FALSE));
  const std::vector<uint8_t> original = ReadBytes(database);

  uint32_t records = 0;
  char longName[300] = "";
  {
    testutil::Db db;
    ASSERT_TRUE(testutil::OpenDatabase(*db, database, false));
    records = db->activeCount;
    db->ReadLongName();
    CopyText(db->textValue, longName, sizeof longName);
  }
  ASSERT_GT(records, 1u);

  std::string commandLine = "\"" + folder + "Veldrana.exe\" \"" + database + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  Process process;
  ASSERT_TRUE(CreateProcessA((folder + "Veldrana.exe").c_str(), &commandLine[0], nullptr, nullptr,
                             FALSE, 0, nullptr, folder.c_str(), &startup, &process.info))
      << GetLastError();

  // The main window, with the database open: its long name as the caption
  // and one row per record.
  HWND window = nullptr;
  HWND list = nullptr;
  std::string caption;
  int rows = -1;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 30000) {
    if (WaitForSingleObject(process.info.hProcess, 100) != WAIT_TIMEOUT) break;
    if (!window) window = MainWindowOf(process.info.dwProcessId);
    if (!window) continue;
    if (!list) list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    char text[300] = "";
    GetWindowTextA(window, text, sizeof text);
    caption = text;
    rows = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
    if (caption == longName && rows == static_cast<int>(records)) break;
  }
  ASSERT_NE(window, nullptr) << "no main window";
  EXPECT_EQ(caption, longName);
  EXPECT_EQ(rows, static_cast<int>(records));
  // It works on a working copy of the file, beside itself.
  EXPECT_EQ(ReadBytes(folder + "Temp.dat"), original);

  // The close box: nothing changed, so no question, and the program ends.
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.info.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);

  // Its settings written beside it, the user's file untouched.
  const std::vector<uint8_t> settings = ReadBytes(folder + "dVeldrana.dat");
  ASSERT_EQ(settings.size(), 1008u);
  EXPECT_EQ(std::string(settings.begin(), settings.begin() + 8), "DATA0900");
  EXPECT_EQ(ReadBytes(database), original);
}

}  // namespace
