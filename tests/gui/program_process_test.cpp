// Veldrana.exe run as a process, the way the shell starts it: a copy of the
// program with its templates in a scratch folder, a database on its command
// line, WM_CLOSE to end it, and the files it leaves behind.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/settings.h"
#include "tests/gui/process_windows.h"
#include "tests/store_test_util.h"

namespace {

constexpr DWORD kTimeoutMs = 20000;

std::string Text(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = kTimeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

class ProgramProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A Veldrana already running in this Wine session would take every start.
    if (HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, "Veldrana.exe")) {
      CloseHandle(running);
      GTEST_SKIP() << "another Veldrana.exe is running";
    }
    folder = dir.Path("");
    if (folder.back() != '\\') folder += '\\';
    for (const char* name : {"WELT13.xml", "Spare.xml"}) {
      const std::string from = std::string(VELDRANA_SOURCE_DIR) + "/data/" + name;
      ASSERT_TRUE(CopyFileA(from.c_str(), (folder + name).c_str(), FALSE)) << from;
    }
    ASSERT_TRUE(CopyFileA(VELDRANA_EXE, (folder + "Veldrana.exe").c_str(), FALSE));
  }
  void TearDown() override {
    for (PROCESS_INFORMATION& p : started) {
      if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 1);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
  }

  // Starts the program with this command line from this folder.
  PROCESS_INFORMATION Launch(const std::string& program, const std::string& arguments,
                             const std::string& currentFolder) {
    std::string line = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               currentFolder.c_str(), &startup, &process))
        << line;
    started.push_back(process);
    return process;
  }

  // The database of three records the process tests open.
  std::string MakeFruit(const std::string& path, const char* longName = "Fruit") {
    testutil::Db db;
    EXPECT_TRUE(testutil::CreateDatabase(*db, path, {12}));
    EXPECT_TRUE(testutil::OpenDatabase(*db, path));
    for (const char* fruit : {"pear", "apple", "Banana"})
      testutil::SetText(*db, db->AddRecord(), 1, fruit);
    db->SetLongName(longName);
    db->Close();
    return path;
  }

  // Ends the program with WM_CLOSE and waits for it.
  void Close(const PROCESS_INFORMATION& process, HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, kTimeoutMs), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
  }

  testutil::ScratchDir dir;
  std::string folder;
  std::vector<PROCESS_INFORMATION> started;
};

// The program's prompt, and the texts of its lines.
HWND PromptOf(DWORD process) { return WindowOf(process, "#32770"); }
std::string LineOf(HWND prompt, int id) {
  char text[700] = "";
  GetDlgItemTextA(prompt, id, text, sizeof text);
  return text;
}
// A prompt's message and second line, from the text box when they were too
// long for their lines.
std::string PromptLines(HWND prompt) {
  if (!IsWindowVisible(GetDlgItem(prompt, 1014))) return LineOf(prompt, 851) + "\n" + LineOf(prompt, 852);
  std::string box = LineOf(prompt, 1014);
  const size_t end = box.find("\r\n");
  return end == std::string::npos ? box : box.substr(0, end) + "\n" + box.substr(end + 2);
}

Settings ReadSettingsFile(const std::string& path) {
  Settings read = {};
  const std::vector<uint8_t> bytes = testutil::ReadBytes(path);
  EXPECT_EQ(bytes.size(), 1008u) << path;
  if (bytes.size() != 1008) return read;
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "DATA0900");
  std::memcpy(&read, bytes.data() + 8, sizeof read);
  return read;
}

TEST_F(ProgramProcessTest, OpensItsCommandLineDatabaseAndKeepsItsSettings) {
  CreateDirectoryA((folder + "My Data").c_str(), nullptr);
  const std::string database = MakeFruit(folder + "My Data\\Fruit basket.vdr");
  PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "\"" + database + "\"", folder);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    window = MainWindowOf(process.dwProcessId);
    return window && Text(window) == "Fruit";
  })) << "the database did not open";
  HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
  // A width the user drags is kept when the program ends.
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, 120);
  Close(process, window);

  const Settings written = ReadSettingsFile(folder + "dVeldrana.dat");
  EXPECT_EQ(written.indexColumnWidth, 120u);
  EXPECT_EQ(written.recordColumnWidth, 50u);
  EXPECT_EQ(written.recStatColumnWidth, 50u);
  EXPECT_EQ(written.rowHeight, 20u);
  EXPECT_EQ(written.mainPlacement.showCommand, 1u);
  EXPECT_EQ(written.mainPlacement.normalLeft, 100);
  EXPECT_EQ(written.mainPlacement.normalTop, 100);
  EXPECT_EQ(written.mainPlacement.normalRight, 620);
  EXPECT_EQ(written.mainPlacement.normalBottom, 500);
  EXPECT_EQ(written.formPlacement.normalLeft, 100);
  // The working copy stays in the data folder; the user's file is untouched.
  EXPECT_EQ(testutil::ReadBytes(folder + "Temp.dat"), testutil::ReadBytes(database));

  // The next start opens at the place and with the widths of the last.
  PROCESS_INFORMATION again = Launch(folder + "Veldrana.exe", "\"" + database + "\"", folder);
  ASSERT_TRUE(WaitFor([&] {
    window = MainWindowOf(again.dwProcessId);
    return window && Text(window) == "Fruit";
  }));
  list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 120);
  Close(again, window);
}

TEST_F(ProgramProcessTest, ASecondInstanceEndsSilently) {
  const std::string database = MakeFruit(folder + "fruit.vdr");
  PROCESS_INFORMATION first = Launch(folder + "Veldrana.exe", "", folder);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(first.dwProcessId)) != nullptr; }));
  PROCESS_INFORMATION second = Launch(folder + "Veldrana.exe", "\"" + database + "\"", folder);
  ASSERT_EQ(WaitForSingleObject(second.hProcess, kTimeoutMs), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 0u);
  // The first is not told: it still shows no database.
  Sleep(300);
  EXPECT_EQ(Text(window), "Veldrana 0.93");
  Close(first, window);
}

TEST_F(ProgramProcessTest, AnInstalledCopyKeepsItsSettingsInTheUsersFolder) {
  char appData[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
  const std::string userFolder = std::string(appData) + "\\Morvel\\Veldrana\\";
  const std::string settingsFile = userFolder + "dVeldrana.dat";
  DeleteFileA(settingsFile.c_str());
  testutil::WriteBytes(folder + "DefSet.txt", {'x'});

  PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "", folder);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) != nullptr; }));
  Close(process, window);
  ReadSettingsFile(settingsFile);
  EXPECT_EQ(GetFileAttributesA((folder + "dVeldrana.dat").c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(settingsFile.c_str());
}

// A second download is often renamed "Veldrana (1).exe": it is the same
// program in the same folder.
TEST_F(ProgramProcessTest, AProgramFileOfAnotherNameKeepsItsSettingsBesideItself) {
  ASSERT_TRUE(MoveFileA((folder + "Veldrana.exe").c_str(), (folder + "Veldrana (1).exe").c_str()));
  const std::string current = folder + "current\\";
  ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
  PROCESS_INFORMATION process = Launch(folder + "Veldrana (1).exe", "", current);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) != nullptr; }));
  Close(process, window);
  ReadSettingsFile(folder + "dVeldrana.dat");
  EXPECT_EQ(GetFileAttributesA((current + "dVeldrana.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

// ---- Work left by a session that was killed ----

class RecoveryTest : public ProgramProcessTest {
 protected:
  // Opens the fruit database, adds a record and types "kiwi" into its first
  // field, then kills the program.
  void KillWithUnsavedWork() {
    database = MakeFruit(folder + "fruit.vdr");
    saved = testutil::ReadBytes(database);
    PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "\"" + database + "\"", folder);
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) && Text(window) == "Fruit"; }));
    PostMessageA(window, WM_COMMAND, 4 /* Add */, 0);
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = WindowOf(process.dwProcessId, "VDDetail")) != nullptr; }));
    PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, 61));
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (prompt = PromptOf(process.dwProcessId)) != nullptr; }));
    SetDlgItemTextA(prompt, 1001 /* the edit */, "kiwi");
    PostMessageA(prompt, WM_COMMAND, IDOK, 0);
    // The value is in the working copy as soon as it is shown.
    ASSERT_TRUE(WaitFor([&] {
      const std::vector<uint8_t> bytes = testutil::ReadBytes(folder + "Temp.dat");
      return std::string(bytes.begin(), bytes.end()).find("kiwi") != std::string::npos;
    }));
    TerminateProcess(process.hProcess, 9);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, kTimeoutMs), WAIT_OBJECT_0);
    ASSERT_NE(GetFileAttributesA(Record().c_str()), INVALID_FILE_ATTRIBUTES);
  }
  std::string Record() const { return folder + "Recovery.dat"; }
  // The fruit database's texts, record by record.
  std::vector<std::string> Fruit() {
    testutil::Db db;
    std::vector<std::string> texts;
    if (!testutil::OpenDatabase(*db, database, false)) return texts;
    for (int32_t s = 0; s < static_cast<int32_t>(db->slotCount); ++s)
      if (db->GetRecStat(s) == 10) texts.push_back(testutil::GetText(*db, s, 1));
    return texts;
  }
  std::string database;
  std::vector<uint8_t> saved;
};

// OK gives the work back as it was: the added record and the edited value,
// changed, and saved to the user's file by Save.
TEST_F(RecoveryTest, OkGivesBackTheWorkOfAKilledSession) {
  KillWithUnsavedWork();
  PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "", folder);
  HWND prompt = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (prompt = PromptOf(process.dwProcessId)) != nullptr; }));
  EXPECT_EQ(PromptLines(prompt), "Veldrana was not closed properly.\nRestore the unsaved changes to " + database + "?");
  PostMessageA(prompt, WM_COMMAND, IDOK, 0);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) && Text(window) == "Fruit"; }));
  HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(testutil::ReadBytes(database), saved);
  // Sent, not posted, and the file read only after the Save: a read while
  // the program replaces the file would keep it from replacing it.
  DWORD_PTR result;
  ASSERT_NE(SendMessageTimeoutA(window, WM_COMMAND, 3 /* Save */, 0, SMTO_NORMAL, kTimeoutMs, &result), 0);
  EXPECT_EQ(Fruit(), (std::vector<std::string>{"pear", "apple", "Banana", "kiwi"}));
  Close(process, window);  // saved: no question
  EXPECT_EQ(GetFileAttributesA(Record().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Each answer, with another file named on the command line: Yes gives the
// work back in place of that file; No discards it, and the file opens;
// Cancel keeps it for the next start, and so does a log-off before any
// answer, and the file opens. Nothing opens while it asks, and the user's
// file is never touched.
TEST_F(RecoveryTest, EachAnswerGivesBackDiscardsOrKeepsTheWork) {
  const struct {
    const char* name;
    int answer;  // the button, or 0 for the end of the Windows session
    const char* caption;
    bool askedAgain;
  } cases[] = {
      {"Yes", IDOK, "Fruit", false},
      {"No", 3, "Other", false},
      {"Cancel", IDCANCEL, "Other", true},
      {"log-off", 0, nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KillWithUnsavedWork();
    const std::string question = "Veldrana was not closed properly.\nRestore the unsaved changes to " + database + "?";
    const std::string other = MakeFruit(folder + "other.vdr", "Other");
    PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "\"" + other + "\"", folder);
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (prompt = PromptOf(process.dwProcessId)) != nullptr; }));
    EXPECT_EQ(PromptLines(prompt), question);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(prompt, 3)));  // No, beside Yes and Cancel
    HWND window = MainWindowOf(process.dwProcessId);
    Sleep(300);
    EXPECT_EQ(Text(window), "Veldrana 0.93");  // nothing opened while it asks
    if (c.answer == 0) {
      DWORD_PTR allowed = 0;
      SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kTimeoutMs, &allowed);
      ASSERT_EQ(WaitForSingleObject(process.hProcess, kTimeoutMs), WAIT_OBJECT_0);
    } else {
      PostMessageA(prompt, WM_COMMAND, static_cast<WPARAM>(c.answer), 0);
      ASSERT_TRUE(WaitFor([&] { return Text(window) == c.caption; }));
      if (c.answer == IDOK) {
        HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
        // Changed: closing asks, and Discard is the user's own choice.
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return (prompt = PromptOf(process.dwProcessId)) != nullptr; }));
        PostMessageA(prompt, WM_COMMAND, 3 /* Discard */, 0);
        ASSERT_EQ(WaitForSingleObject(process.hProcess, kTimeoutMs), WAIT_OBJECT_0);
      } else {
        Close(process, window);
      }
    }
    EXPECT_EQ(testutil::ReadBytes(database), saved);
    // The next start asks again only about work that was kept.
    PROCESS_INFORMATION next = Launch(folder + "Veldrana.exe", "", folder);
    HWND again = nullptr;
    ASSERT_TRUE(WaitFor([&] { return MainWindowOf(next.dwProcessId) != nullptr; }));
    const bool asked = WaitFor([&] { return (again = PromptOf(next.dwProcessId)) != nullptr; }, 1500);
    EXPECT_EQ(asked, c.askedAgain);
    if (asked) {
      EXPECT_EQ(PromptLines(again), question);
      PostMessageA(again, WM_COMMAND, IDOK, 0);  // and it comes back whole
      HWND list = nullptr;
      ASSERT_TRUE(WaitFor([&] {
        list = FindWindowExA(MainWindowOf(next.dwProcessId), nullptr, WC_LISTVIEWA, nullptr);
        return list != nullptr && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 4;
      }));
      TerminateProcess(next.hProcess, 9);
    } else {
      Close(next, MainWindowOf(next.dwProcessId));
    }
    WaitForSingleObject(next.hProcess, kTimeoutMs);
    // Nothing is left for the next case.
    DeleteFileA(Record().c_str());
    DeleteFileA((folder + "Left1.dat").c_str());
    DeleteFileA((folder + "Left1.rec").c_str());
  }
}

// A damaged working copy is never offered; its record goes without a word.
TEST_F(RecoveryTest, ADamagedWorkingCopyIsNeverOffered) {
  KillWithUnsavedWork();
  testutil::WriteBytes(folder + "Temp.dat", std::vector<uint8_t>(2000, 'x'));
  PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "", folder);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) != nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return GetFileAttributesA(Record().c_str()) == INVALID_FILE_ATTRIBUTES; }));
  Sleep(300);
  EXPECT_EQ(PromptOf(process.dwProcessId), nullptr);
  EXPECT_EQ(Text(window), "Veldrana 0.93");
  Close(process, window);
}

// An orderly end, whatever the answer to the save question, leaves no record.
TEST_F(RecoveryTest, AnOrderlyExitLeavesNoRecord) {
  database = MakeFruit(folder + "fruit.vdr");
  PROCESS_INFORMATION process = Launch(folder + "Veldrana.exe", "\"" + database + "\"", folder);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(process.dwProcessId)) && Text(window) == "Fruit"; }));
  EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA(Record().c_str()) != INVALID_FILE_ATTRIBUTES; }));
  PostMessageA(window, WM_COMMAND, 4 /* Add */, 0);
  ASSERT_TRUE(WaitFor([&] { return WindowOf(process.dwProcessId, "VDDetail") != nullptr; }));
  PostMessageA(window, WM_CLOSE, 0, 0);
  HWND prompt = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (prompt = PromptOf(process.dwProcessId)) != nullptr; }));
  PostMessageA(prompt, WM_COMMAND, 3 /* Discard */, 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, kTimeoutMs), WAIT_OBJECT_0);
  EXPECT_EQ(GetFileAttributesA(Record().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Fruit().size(), 3u);
}
