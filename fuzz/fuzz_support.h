// What the fuzz targets share: a check that stops the run at its place, and
// a scratch folder of the process's own.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition);    \
      std::abort();                                                           \
    }                                                                         \
  } while (0)

namespace fuzz_support {

inline char folderPath[512];

inline void RemoveFolder() { std::filesystem::remove_all(folderPath); }

}  // namespace fuzz_support

// A folder for this process's files (in memory where /dev/shm is writable),
// made on first use and removed again when the fuzzer ends. name tells the
// targets' folders apart.
inline std::string ScratchFolder(const char* name) {
  using fuzz_support::folderPath;
  if (folderPath[0] == 0) {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp != nullptr && *tmp != 0 ? tmp
                       : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                       : "/tmp";
    std::snprintf(folderPath, sizeof folderPath, "%s/%s.%d/", base.c_str(), name,
                  static_cast<int>(getpid()));
    std::filesystem::create_directories(folderPath);
    std::atexit(fuzz_support::RemoveFolder);
  }
  return folderPath;
}
