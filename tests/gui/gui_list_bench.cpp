// Times the real program's record list from outside; not a test, run by
// bench/gui-list. Starts Veldrana.exe on a database, as the shell would, and
// drives it as a user does, through its windows: every time runs until the
// list and the status bar show the result (their pending paints are made
// first). Run it inside a Wine desktop (explorer /desktop=...): without a
// window manager, the end of each prompt waits two seconds on X focus.
//
//   gui_list_bench.exe PROGRAM DATABASE RECORDS [RUNS]
//
// The runs follow each other in this process, which keeps the Wine desktop
// up between them. Prints one line a run of seconds and bytes, tab-separated:
//   start add delete sort goto previous next form-goto exit
//   private-bytes-after-start private-bytes-after-commands
//   working-set-after-commands file-size
// start: from starting the process until the list shows its rows and the
// status bar "RECORDS Records in DB". add: Add until "Record R+1 of R+1".
// delete: from the OK of the question until the list is back to RECORDS
// rows. sort: a click on the first field's column header. goto: from the
// OK of the Goto prompt (the last record) until "Record R of R". previous,
// next: the record form's buttons, until "Record R-1 of R" and back.
// form-goto: the form's Goto to the middle record, from the OK. exit: Exit,
// from "No" to the save question until the process has ended.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "resources/resource.h"

namespace {

double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HANDLE runningProgram;  // ended on a failure

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "gui_list_bench: %s\n", what.c_str());
  if (runningProgram) TerminateProcess(runningProgram, 1);
  std::exit(1);
}

// The program under test and its windows.
struct Program {
  PROCESS_INFORMATION process = {};
  HWND main = nullptr, list = nullptr, status = nullptr;
};

std::string WindowText(HWND window) {
  char text[256] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool OwnedBy(HWND window, const Program& program) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return window != nullptr && process == program.process.dwProcessId;
}

// Waits until done() holds; fails after ten minutes.
template <typename Done>
void WaitFor(const char* what, const Done& done) {
  const double start = Now();
  while (!done()) {
    if (Now() - start > 600) Fail(std::string("gave up waiting for ") + what);
    Sleep(0);
  }
}

// Memory in the program's process for a message's structures.
class Remote {
 public:
  Remote(HANDLE process, size_t size) : process_(process) {
    base_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (base_ == nullptr) Fail("no memory in the program's process");
  }
  ~Remote() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
  char* At(size_t offset) const { return static_cast<char*>(base_) + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, At(offset), data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* base_;
};

// What the list shows in a cell, asked as the list itself asks.
std::string Cell(const Program& program, int row, int column) {
  Remote remote(program.process.hProcess, sizeof(LVITEMA) + 512);
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = remote.At(sizeof item);
  item.cchTextMax = 512;
  remote.Write(0, &item, sizeof item);
  SendMessageA(program.list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.At(0)));
  char text[512] = "";
  remote.Read(sizeof item, text, sizeof text);
  text[sizeof text - 1] = 0;
  return text;
}

// The list and the status bar painted, and the record form when it is open.
void PaintNow(const Program& program) {
  HWND form = FindWindowA("VDDetail", nullptr);
  if (OwnedBy(form, program)) UpdateWindow(form);
  UpdateWindow(program.list);
  UpdateWindow(program.status);
}

void WaitForStatus(const Program& program, const std::string& expected) {
  PaintNow(program);
  WaitFor(expected.c_str(), [&] { return WindowText(program.status) == expected; });
}

std::string Count(long records) { return std::to_string(records) + " Records in DB"; }
std::string Position(long record, long records) {
  return "Record " + std::to_string(record) + " of " + std::to_string(records);
}

struct Memory {
  size_t privateBytes = 0, workingSet = 0;
};

Memory MemoryOf(const Program& program) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  Memory memory;
  if (!GetProcessMemoryInfo(program.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    return memory;
  // Windows gives the private bytes in both; Wine fills only the commit
  // charge (PagefileUsage), from the process's anonymous memory.
  memory.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  memory.workingSet = counters.WorkingSetSize;
  return memory;
}

void CloseForm(const Program& program) {
  HWND form = FindWindowA("VDDetail", nullptr);
  if (OwnedBy(form, program)) SendMessageA(form, WM_CLOSE, 0, 0);
}

// Runs a command of a window that asks a question, answering it from a
// second thread: `button`, after typing `typed` when given. Returns the time
// from the answer to when the command has ended.
template <typename Finish>
double AnsweredCommand(const Program& program, HWND window, int command, const char* typed, int button,
                       const Finish& finish) {
  std::atomic<double> answered{0};
  std::thread answerer([&] {
    HWND dialog = nullptr;
    WaitFor("the question", [&] {
      dialog = FindWindowA("#32770", "Veldrana 1.0");
      return OwnedBy(dialog, program) && IsWindowVisible(dialog);
    });
    if (typed) SendMessageA(GetDlgItem(dialog, IDC_PROMPT_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
    answered = Now();
    PostMessageA(dialog, WM_COMMAND, button, 0);
  });
  PostMessageA(window, WM_COMMAND, command, 0);
  answerer.join();
  finish();
  return Now() - answered;
}

// One run: starts the program, times the commands and prints their line.
void MeasureOnce(const std::string& programPath, const std::string& database, long records) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(database.c_str(), GetFileExInfoStandard, &attributes)) Fail("no " + database);
  const unsigned long long fileSize =
      (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  std::string folder = programPath.substr(0, programPath.find_last_of("\\/") + 1);

  Program program;
  std::string commandLine = "\"" + programPath + "\" \"" + database + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  const double started = Now();
  if (!CreateProcessA(programPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &program.process))
    Fail("cannot start " + programPath);
  runningProgram = program.process.hProcess;
  WaitFor("the main window", [&] {
    program.main = FindWindowA("VDMain", nullptr);
    if (!OwnedBy(program.main, program)) return false;
    program.list = FindWindowExA(program.main, nullptr, WC_LISTVIEWA, nullptr);
    program.status = FindWindowExA(program.main, nullptr, STATUSCLASSNAMEA, nullptr);
    return program.list != nullptr && program.status != nullptr;
  });
  WaitFor("the rows", [&] {
    return WindowText(program.status) == Count(records) &&
           SendMessageA(program.list, LVM_GETITEMCOUNT, 0, 0) == records;
  });
  PaintNow(program);
  const double start = Now() - started;
  if (Cell(program, 0, 1) != "1") Fail("the first row shows no record number");
  const Memory atStart = MemoryOf(program);

  // Add: a new record, shown in the record form.
  double t = Now();
  SendMessageA(program.main, WM_COMMAND, CMD_ADD, 0);
  WaitForStatus(program, Position(records + 1, records + 1));
  const double add = Now() - t;
  CloseForm(program);

  // Delete the chosen second row.
  {
    Remote remote(program.process.hProcess, sizeof(LVITEMA));
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
    remote.Write(0, &item, sizeof item);
    SendMessageA(program.list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(remote.At(0)));
  }
  const double remove = AnsweredCommand(program, program.main, CMD_DELETE, nullptr, IDOK, [&] {
    WaitForStatus(program, Count(records));
    WaitFor("the rows after Delete", [&] { return SendMessageA(program.list, LVM_GETITEMCOUNT, 0, 0) == records; });
  });

  // A click on the header of the first field's column.
  HWND header = reinterpret_cast<HWND>(SendMessageA(program.list, LVM_GETHEADER, 0, 0));
  RECT rect = {};
  {
    Remote remote(program.process.hProcess, sizeof rect);
    SendMessageA(header, HDM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &rect, sizeof rect);
  }
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  t = Now();
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
  WaitForStatus(program, Count(records));
  const double sort = Now() - t;

  // Goto the last record.
  const std::string last = std::to_string(records);
  const double jump = AnsweredCommand(program, program.main, CMD_GOTO, last.c_str(), IDOK,
                                      [&] { WaitForStatus(program, Position(records, records)); });

  // Previous and Next in the record form, and its Goto to the middle.
  HWND form = FindWindowA("VDDetail", nullptr);
  if (!OwnedBy(form, program)) Fail("no record form after Goto");
  t = Now();
  SendMessageA(form, WM_COMMAND, CMD_PREVIOUS, 0);
  WaitForStatus(program, Position(records - 1, records));
  const double previous = Now() - t;
  t = Now();
  SendMessageA(form, WM_COMMAND, CMD_NEXT, 0);
  WaitForStatus(program, Position(records, records));
  const double next = Now() - t;
  const std::string middle = std::to_string(records / 2 + 1);
  const double formJump = AnsweredCommand(program, form, CMD_GOTO, middle.c_str(), IDOK,
                                          [&] { WaitForStatus(program, Position(records / 2 + 1, records)); });
  const Memory after = MemoryOf(program);
  CloseForm(program);

  // Exit without saving the changes.
  const double exit = AnsweredCommand(program, program.main, IDM_EXIT, nullptr, IDC_PROMPT_THIRD, [&] {
    if (WaitForSingleObject(program.process.hProcess, 600000) != WAIT_OBJECT_0) Fail("the program did not end");
  });

  std::printf("%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%zu\t%zu\t%zu\t%llu\n", start, add,
              remove, sort, jump, previous, next, formJump, exit, atStart.privateBytes, after.privateBytes,
              after.workingSet, fileSize);
  std::fflush(stdout);
  TerminateProcess(program.process.hProcess, 0);
  WaitForSingleObject(program.process.hProcess, 10000);
  CloseHandle(program.process.hProcess);
  CloseHandle(program.process.hThread);
  runningProgram = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: gui_list_bench PROGRAM DATABASE RECORDS [RUNS]\n");
    return 2;
  }
  const long records = std::atol(argv[3]);
  const int runs = argc == 5 ? std::atoi(argv[4]) : 1;
  for (int run = 0; run < runs; ++run) MeasureOnce(argv[1], argv[2], records);
  return 0;
}
