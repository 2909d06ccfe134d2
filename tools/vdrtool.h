// vdrtool: the command-line companion of Veldrana. What the tool's source
// files share: the command table's shape, exit codes, argument parsing, and
// the two ways a command reaches a database (read-only, or through a copy
// that replaces the user's file only when everything went well).
//
// Every command works on the global databaseFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vdrtool {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// A command's work. argv[0] is the first argument after the command's name
// (the database file); argc counts from there. Returns an ExitCode; kExitUsage
// makes the dispatcher print the command's usage.
using CommandHandler = int (*)(int argc, char** argv);

struct Command {
  const char* name;
  int minArgs;  // arguments after the command's name
  int maxArgs;  // -1: no limit
  CommandHandler handler;
  const char* usage;  // the arguments, after "vdrtool <name> "
};

// Writes the reason to stderr and returns kExitFailed.
int Fail(const char* reason);
int Fail(const std::string& reason);
// Writes the reason to stderr and returns kExitUsage.
int UsageError(const char* reason);

// A decimal count (digits only, at most 2147483647). False for anything else.
bool ParseCount(const char* text, uint32_t* value);
// Takes "--filter TEXT" out of the arguments, wherever it stands: *given
// tells whether it was there, *text what followed. False (a usage error,
// reported) when the text is missing or the option is given twice.
bool TakeFilterOption(int* argc, char** argv, std::string* text, bool* given);

// Both folders := the folder vdrtool was started from, where it finds its
// data files the way the program finds them beside itself.
void UseToolFolder();

// Opens file read-only in databaseFile. On failure says "Not a Veldrana file"
// and returns false.
bool OpenForReading(const char* file);

// A change to the user's file made on a copy beside it: Begin copies the file
// to file + ".vdrtool-tmp" and opens the copy writable; Commit closes it and
// moves it over the user's file; anything else (Abandon, or destruction
// without Commit) deletes the copy and leaves the user's file as it was.
class Edit {
 public:
  ~Edit();
  // On failure reports the reason and returns false.
  bool Begin(const char* file);
  // Like Begin for a file that must not exist yet: nothing is copied or
  // opened; the caller creates the database at TempPath().
  bool BeginNew(const char* file);
  const char* TempPath() const { return temp_.c_str(); }
  // Returns an ExitCode, having reported any failure.
  int Commit();
  void Abandon();

 private:
  bool Prepare(const char* file);
  std::string file_;
  std::string temp_;
  bool active_ = false;
};

// Output gathered in one large buffer and written with fwrite in big pieces.
class OutputBuffer {
 public:
  OutputBuffer();
  ~OutputBuffer();
  void Append(const char* text, size_t length);
  void Append(const char* text);
  void AppendUnsigned(uint32_t value);
  void AppendSigned(int32_t value);
  void Tab() { Byte('\t'); }
  void Newline() { Byte('\n'); }
  // Writes what is buffered and flushes stdout; false when writing failed.
  bool Flush();

 private:
  void Byte(char c) {
    if (used_ == kCapacity) Drain();
    data_[used_++] = c;
  }
  void Drain();
  static constexpr size_t kCapacity = size_t{1} << 20;
  char* data_;
  size_t used_ = 0;
  bool failed_ = false;
};

// Commands defined in other source files of the tool, registered in the
// table in vdrtool.cpp. Add a declaration here and one line to the table.
// --- template commands (vdrtool_templates.cpp) ---
int CommandNew(int argc, char** argv);
int CommandLabels(int argc, char** argv);
int CommandExport(int argc, char** argv);
// The labels Open gives the database open in databaseFile (none without
// active records), loaded from the template beside vdrtool. False, having
// said so, when the template cannot be read.
bool LoadLabelsAsOpenDoes();
// --- import and SQL (vdrtool_transfer.cpp) ---
int CommandImport(int argc, char** argv);
int CommandSql(int argc, char** argv);

}  // namespace vdrtool
