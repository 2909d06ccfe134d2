#include "tests/tool_process.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/store_test_util.h"

namespace testutil {
namespace {

std::string ConsoleText(const std::string& path) {
  std::string text;
  for (uint8_t b : ReadBytes(path))
    if (b != '\r') text.push_back(static_cast<char>(b));
  return text;
}

#ifdef _WIN32

// One argument quoted the way the C runtime splits a command line.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string q = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = backslashes * 2 + 1;
    q.append(backslashes, '\\');
    backslashes = 0;
    q.push_back(c);
  }
  q.append(backslashes * 2, '\\');
  q.push_back('"');
  return q;
}

int Spawn(const std::vector<std::string>& args, const std::string& folder,
          const std::string& outPath, const std::string& errPath) {
  const std::string tool = HostPath(VDRTOOL_PATH);
  std::string commandLine = Quote(tool);
  for (const auto& a : args) commandLine += " " + Quote(a);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  BOOL started = CreateProcessA(tool.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  CloseHandle(out);
  CloseHandle(err);
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (!started) {
    ADD_FAILURE() << "cannot start " << tool << ": error " << GetLastError();
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    ADD_FAILURE() << "vdrtool did not finish";
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

#else

int Spawn(const std::vector<std::string>& args, const std::string& folder,
          const std::string& outPath, const std::string& errPath) {
  std::string tool = VDRTOOL_PATH;
  std::vector<std::string> copies(args);
  std::vector<char*> argv{tool.data()};
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) {
    ADD_FAILURE() << "fork failed";
    return -1;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

}  // namespace

std::string HostPath(const std::string& path) {
#ifdef _WIN32
  if (path.empty() || path[0] != '/') return path;
  using ToDos = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
  if (toDos != nullptr) {
    if (WCHAR* wide = toDos(path.c_str())) {
      char ansi[MAX_PATH * 2];
      int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
      HeapFree(GetProcessHeap(), 0, wide);
      if (n > 0) return ansi;
    }
  }
  std::string dos = "Z:" + path;
  for (char& c : dos)
    if (c == '/') c = '\\';
  return dos;
#else
  return path;
#endif
}

ToolResult RunTool(const std::vector<std::string>& args, const ScratchDir& scratch,
                   const std::string& folder) {
  ToolResult r;
  const std::string outPath = scratch.Path("stdout.txt"), errPath = scratch.Path("stderr.txt");
  r.exitCode = Spawn(args, folder, outPath, errPath);
  r.out = ConsoleText(outPath);
  r.err = ConsoleText(errPath);
  return r;
}

}  // namespace testutil
