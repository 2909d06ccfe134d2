#include "tests/gui/program_test_util.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/folders.h"
#include "core/settings.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/main/file_menu.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"

namespace programtest {

namespace {

const char* const kTemplates[] = {"WELT13.xml", "Spare.xml"};

// The tests' windows live on a desktop of their own. Wine shows such a
// desktop as one window of the X display, inside which windows come and go at
// once, where top-level windows of the X display itself each take the X
// server a moment to map and unmap.
constexpr char kTestDesktop[] = "Veldrana tests";

class TestDesktop : public ::testing::Environment {
 public:
  void SetUp() override {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      // 1280 x 1024 at 96 DPI, larger at a larger display scale (the same
      // as tests/gui/desktop_keeper.cpp makes it).
      HDC screen = GetDC(nullptr);
      const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
      char size[32];
      wsprintfA(size, "%dx%d", MulDiv(1280, dpi, 96), MulDiv(1024, dpi, 96));
      RegSetValueExA(key, kTestDesktop, 0, REG_SZ, reinterpret_cast<const BYTE*>(size),
                     static_cast<DWORD>(strlen(size) + 1));
      RegCloseKey(key);
    }
    HDESK desktop = CreateDesktopA(kTestDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop) SetThreadDesktop(desktop);
  }
};
::testing::Environment* const testDesktop = ::testing::AddGlobalTestEnvironment(new TestDesktop);

// Every global the program owns, as a new process has it.
void ResetProgramState() {
  std::memset(&settings, 0, sizeof settings);
  databaseFile.Close();
  ResetDatabaseFile(&databaseFile);
  hasUserFile = 0;
  databaseChanged = 0;
  FreeColumnLabels();
  templateNumber = 0;
  styleFieldCount = 0;
  templateFileName[0] = sourceName[0] = 0;
  currentFileName[0] = 0;
  ctrlHeld = false;
  SetKeyDown(VK_CONTROL, false);
  sortInProgress = false;
  recordForm = nullptr;
  currentSlot = 0;
  currentRecordNumber = -1;
  mainWindow = nullptr;
  toolbar = statusBar = recordList = nullptr;
}

// Takes whatever is queued, WM_QUIT included.
void DrainQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageA(&message);
  }
}

}  // namespace

namespace {

std::vector<DialogResponder*> responders;
std::vector<HWND> dialogsSeen;

LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    if (guitest::ClassOf(dialog) == "#32770" &&
        std::find(dialogsSeen.begin(), dialogsSeen.end(), dialog) == dialogsSeen.end()) {
      dialogsSeen.push_back(dialog);
      const std::string caption = guitest::WindowText(dialog);
      DialogResponder* taker = nullptr;
      for (DialogResponder* responder : responders)
        if (responder->caption() == caption) taker = responder;
      if (taker) {
        taker->Respond(dialog);
      } else {
        ADD_FAILURE() << "a dialog nobody answers: " << caption;
        guitest::PostCommand(dialog, IDCANCEL);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void ProgramTest::SetUp() {
  ResetProgramState();
  scratch_ = std::make_unique<testutil::ScratchDir>();
  folder_ = scratch_->Path("");
  if (folder_.empty() || folder_.back() != '\\') folder_ += '\\';
  for (const char* name : kTemplates) {
    const std::string from = std::string(VELDRANA_SOURCE_DIR) + "/data/" + name;
    ASSERT_TRUE(CopyFileA(from.c_str(), Path(name).c_str(), FALSE)) << from;
  }
  // A name of this test's own: Wine hands out the numbers of ended processes
  // again, so the process number alone could meet a mutex not yet released.
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  mutexName = "Veldrana.exe test " + std::to_string(GetCurrentProcessId()) + " " +
              std::to_string(now.QuadPart);
  dialogsSeen.clear();
  dialogHook_ = SetWindowsHookExA(WH_CBT, DialogHook, nullptr, GetCurrentThreadId());
}

void ProgramTest::TearDown() {
  // Whatever the test left open goes without a question.
  if (mainWindow) {
    databaseChanged = 0;
    DestroyWindow(mainWindow);
  }
  if (databaseFile.view) ReleaseDatabase();
  databaseFile.Close();
  DrainQueue();
  ReleaseInstanceMutex();
  ResetProgramState();
  if (dialogHook_) UnhookWindowsHookEx(dialogHook_);
  dialogHook_ = nullptr;
  scratch_.reset();
}

StartResult ProgramTest::Start(const std::string& commandLine) {
  static std::string line;  // the shell keeps the pointer
  line = commandLine;
  StartOptions options;
  options.programFolder = folder_.c_str();
  options.dataFolder = folder_.c_str();
  options.mutexName = mutexName.c_str();
  options.commandLine = line.c_str();
  return StartProgram(options);
}

bool ProgramTest::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      // The system updates the key state as it hands out a key of the real
      // keyboard; for the keys the tests post, the pump does.
      if ((message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
          message.wParam == VK_CONTROL)
        SetKeyDown(VK_CONTROL, message.message == WM_KEYDOWN);
      if (message.message == WM_QUIT) {
        // The program's loop would end here; the test looks on.
        PostQuitMessage(static_cast<int>(message.wParam));
        return done();
      }
      HandleMessage(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void ProgramTest::Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= milliseconds; }, milliseconds + 1000);
}

DialogResponder::DialogResponder(std::string caption) : caption_(std::move(caption)) {
  responders.push_back(this);
}

DialogResponder::~DialogResponder() {
  responders.erase(std::find(responders.begin(), responders.end(), this));
}

PromptAnswers::PromptAnswers(std::vector<PromptAnswer> answers)
    : DialogResponder("Veldrana 1.0"), answers_(std::move(answers)) {}

void PromptAnswers::Respond(HWND dialog) {
  PromptSeen prompt;
  auto line = [dialog](int id) {
    return guitest::ItemShown(dialog, id) ? guitest::ItemText(dialog, id) : std::string();
  };
  prompt.line1 = line(IDC_PROMPT_LINE1);
  prompt.line2 = line(IDC_PROMPT_LINE2);
  prompt.line3 = line(IDC_PROMPT_LINE3);
  // A message too long for its line shows in the text box, with its second
  // line after a line break: read back as the two lines.
  prompt.box = line(IDC_PROMPT_BOX);
  if (!prompt.box.empty()) {
    const size_t end = prompt.box.find("\r\n");
    prompt.line2 = prompt.box.substr(0, end);
    prompt.line3 = end == std::string::npos ? "" : prompt.box.substr(end + 2);
  }
  prompt.editShown = guitest::ItemShown(dialog, IDC_PROMPT_EDIT);
  prompt.edit = guitest::ItemText(dialog, IDC_PROMPT_EDIT);
  prompt.cancelShown = guitest::ItemShown(dialog, IDCANCEL);
  prompt.thirdShown = guitest::ItemShown(dialog, IDC_PROMPT_THIRD);
  prompt.owner = GetWindow(dialog, GW_OWNER);
  LOGFONTA font = {};
  if (guitest::ItemFont(dialog, IDC_PROMPT_LINE1, &font)) prompt.line1Height = font.lfHeight;
  seen.push_back(prompt);
  PromptAnswer answer;
  if (answers_.empty()) {
    ++unexpected;
  } else {
    answer = answers_.front();
    answers_.erase(answers_.begin());
  }
  if (answer.typed) SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, answer.typed);
  if (answer.meanwhile) {
    Later(dialog, answer);
    return;
  }
  guitest::PostCommand(dialog, answer.button);
}

namespace {
// The answer waiting for the prompt's loop, and its prompt.
PromptAnswer laterAnswer;
HWND laterDialog;

void CALLBACK AnswerLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const PromptAnswer answer = laterAnswer;
  laterAnswer = PromptAnswer();
  if (!IsWindow(laterDialog)) return;
  answer.meanwhile();
  if (IsWindow(laterDialog)) guitest::PostCommand(laterDialog, answer.button);
}
}  // namespace

void PromptAnswers::Later(HWND dialog, const PromptAnswer& answer) {
  laterAnswer = answer;
  laterDialog = dialog;
  SetTimer(nullptr, 0, 30, AnswerLater);
}

void ButtonAnswer::Respond(HWND dialog) {
  ++shown;
  guitest::PostCommand(dialog, button_);
}

namespace {

// The boxes of the system's file dialogs.
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr UINT kAnswerDelayMs = 50;

// The dialog fills its boxes after it is activated; the answer waits for
// that in a timer that runs inside the dialog's own loop.
FileDialogAnswer* pendingAnswer;
HWND pendingDialog;

}  // namespace

void CALLBACK FileDialogAnswer::AnswerLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  FileDialogAnswer* self = pendingAnswer;
  HWND dialog = pendingDialog;
  pendingAnswer = nullptr;
  if (!self || !IsWindow(dialog)) return;
  HWND types = GetDlgItem(dialog, kFileTypeCombo);
  const int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    self->fileTypes.push_back(text);
  }
  const int nameBox = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
  self->startName = guitest::ItemText(dialog, nameBox);
  if (self->fileName_.empty()) {
    guitest::PostCommand(dialog, IDCANCEL);
    return;
  }
  SetDlgItemTextA(dialog, nameBox, self->fileName_.c_str());
  guitest::PostCommand(dialog, IDOK);
}

FileDialogAnswer::FileDialogAnswer(const char* caption, std::string fileName)
    : DialogResponder(caption), fileName_(std::move(fileName)) {}

FileDialogAnswer::~FileDialogAnswer() {
  if (pendingAnswer == this) pendingAnswer = nullptr;
}

void FileDialogAnswer::Respond(HWND dialog) {
  ++shown_;
  pendingAnswer = this;
  pendingDialog = dialog;
  SetTimer(nullptr, 0, kAnswerDelayMs, AnswerLater);
}

std::vector<std::string> ColumnTitles() {
  std::vector<std::string> titles;
  for (int i = 0;; ++i) {
    char text[256] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    if (!SendMessageA(recordList, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column))) break;
    titles.push_back(text);
  }
  return titles;
}

std::vector<int> ColumnWidths() {
  std::vector<int> widths;
  const size_t count = ColumnTitles().size();
  for (size_t i = 0; i < count; ++i)
    widths.push_back(static_cast<int>(SendMessageA(recordList, LVM_GETCOLUMNWIDTH, i, 0)));
  return widths;
}

int RowCount() { return static_cast<int>(SendMessageA(recordList, LVM_GETITEMCOUNT, 0, 0)); }

std::string Cell(int row, int column) {
  char text[1024] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(recordList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::string> ColumnTexts(int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < RowCount(); ++row) texts.push_back(Cell(row, column));
  return texts;
}

std::string StatusText() {
  char text[256] = "";
  SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string Caption() { return guitest::WindowText(mainWindow); }

bool ButtonEnabled(int command) {
  return SendMessageA(toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
}

bool MenuItemEnabled(int command) {
  const UINT state = GetMenuState(GetMenu(mainWindow), command, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool FileItemsEnabled() {
  const int buttons[] = {CMD_SAVE, CMD_ADD, CMD_COPY, CMD_DELETE, CMD_GOTO, CMD_SEARCH};
  const int items[] = {IDM_CLOSE, IDM_SAVE,     IDM_EXPORT, IDM_DELETE, IDM_ADD,
                       IDM_COPY,  IDM_GOTO,     IDM_NEXT,   IDM_PREVIOUS, IDM_NAME,
                       IDM_IMPORT, IDM_EXPORT_AS};
  int enabled = 0, total = 0;
  for (int id : buttons) enabled += ButtonEnabled(id), ++total;
  for (int id : items) enabled += MenuItemEnabled(id), ++total;
  EXPECT_TRUE(enabled == 0 || enabled == total) << enabled << " of " << total << " enabled";
  return enabled == total;
}

void ClickColumnHeader(int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(recordList, LVM_GETHEADER, 0, 0));
  RECT rect = {};
  SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
}

void FocusRow(int row) {
  LVITEMA item = {};
  item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  item.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageA(recordList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SetKeyDown(UINT virtualKey, bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[virtualKey] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

void PostKeyMessage(HWND window, UINT message, UINT virtualKey) {
  const UINT scan = MapVirtualKeyA(virtualKey, 0);
  LPARAM lParam = 1 | (scan << 16);
  if (message == WM_KEYUP) lParam |= 0xC0000000u;
  PostMessageA(window, message, virtualKey, lParam);
}

void DropFiles(const std::vector<std::string>& files) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& file : files) size += file.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  char* names = reinterpret_cast<char*>(drop + 1);
  for (const std::string& file : files) {
    std::memcpy(names, file.c_str(), file.size() + 1);
    names += file.size() + 1;
  }
  *names = 0;
  GlobalUnlock(memory);
  // The window takes the drop and frees it.
  SendMessageA(mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

bool MakeDatabase(const std::string& path, const std::vector<uint32_t>& types,
                  const std::vector<std::vector<std::string>>& rows, const char* longName) {
  testutil::Db db;
  if (!testutil::CreateDatabase(*db, path, types) || !testutil::OpenDatabase(*db, path)) return false;
  for (const auto& row : rows) {
    const int32_t slot = db->AddRecord();
    if (slot < 0) return false;
    for (size_t i = 0; i < row.size() && i < types.size(); ++i) {
      const uint32_t field = static_cast<uint32_t>(i + 1);
      if (IsNumberType(types[i]))
        testutil::SetNumber(*db, slot, field, TextToNumber(row[i].c_str()));
      else
        testutil::SetText(*db, slot, field, row[i]);
    }
  }
  db->SetLongName(longName);
  db->Close();
  return true;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace programtest
