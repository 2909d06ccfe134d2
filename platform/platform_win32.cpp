// Win32 side of the platform layer: kernel32 files and mappings, and
// CompareStringA and LCMapStringA for the user's locale order.
#include "platform/platform.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

long writesLeft = -1;  // the fault-injection seam; -1 is off

bool WriteAllowed() {
  if (writesLeft < 0) return true;
  if (writesLeft == 0) return false;
  --writesLeft;
  return true;
}

HANDLE Native(FileHandle file) { return static_cast<HANDLE>(file); }

FileHandle Wrap(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kNoFile : h; }

}  // namespace

FileHandle OpenExisting(const char* path, bool writable) {
  return Wrap(CreateFileA(path, writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                          FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle OpenExclusive(const char* path) {
  return Wrap(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle CreateAlways(const char* path) {
  if (!WriteAllowed()) return kNoFile;
  return Wrap(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(Native(file));
}

bool ReadExact(FileHandle file, void* buffer, size_t size) {
  char* p = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(Native(file), p, chunk, &got, nullptr) || got == 0) return false;
    p += got;
    size -= got;
  }
  return true;
}

long ReadSome(FileHandle file, void* buffer, size_t size) {
  DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(Native(file), buffer, chunk, &got, nullptr)) return -1;
  return static_cast<long>(got);
}

bool WriteExact(FileHandle file, const void* buffer, size_t size) {
  if (!WriteAllowed()) return false;
  const char* p = static_cast<const char*>(buffer);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(Native(file), p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

bool Seek(FileHandle file, uint64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position);
  return SetFilePointerEx(Native(file), to, nullptr, FILE_BEGIN) != 0;
}

bool SeekToEnd(FileHandle file, uint64_t* position) {
  LARGE_INTEGER zero, at;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(Native(file), zero, &at, FILE_END)) return false;
  *position = static_cast<uint64_t>(at.QuadPart);
  return true;
}

bool GetSize(FileHandle file, uint64_t* size) {
  DWORD high = 0;
  DWORD low = GetFileSize(Native(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

bool Truncate(FileHandle file, uint64_t size) {
  if (!WriteAllowed()) return false;
  return Seek(file, size) && SetEndOfFile(Native(file)) != 0;
}

bool MapWholeFile(FileHandle file, bool writable, Mapping* mapping) {
  uint64_t size = 0;
  // A 32-bit process cannot map a file of 4 GB or more.
  if (!GetSize(file, &size) || size == 0 || size > 0xFFFFFFFFull) return false;
  HANDLE map = CreateFileMappingA(Native(file), nullptr,
                                  writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  if (map == nullptr) return false;
  void* view = MapViewOfFile(map, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(map);
    return false;
  }
  mapping->handle = map;
  mapping->view = static_cast<uint8_t*>(view);
  mapping->size = size;
  return true;
}

void Unmap(Mapping* mapping) {
  if (mapping->view != nullptr) UnmapViewOfFile(mapping->view);
  if (mapping->handle != nullptr) CloseHandle(static_cast<HANDLE>(mapping->handle));
  *mapping = Mapping();
}

bool IsLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }

int CompareText(const char* a, const char* b) {
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - CSTR_EQUAL;
}

bool FlushMappedRange(const Mapping& mapping, uint64_t offset, uint64_t length) {
  if (mapping.view == nullptr || offset >= mapping.size) return true;
  if (length > mapping.size - offset) length = mapping.size - offset;
  return FlushViewOfFile(mapping.view + offset, static_cast<SIZE_T>(length)) != 0;
}

bool FlushFile(FileHandle file) { return FlushFileBuffers(static_cast<HANDLE>(file)) != 0; }

long CollationKeyPart(const char* text, size_t length, CollationKeyState* state, uint8_t* key,
                      size_t capacity) {
  // LCMapStringA makes a key whole, in the order of CompareStringA with the
  // same locale and flags; the state is how far the parts have gone. An
  // empty text is passed terminated, since a length of 0 is refused.
  static thread_local std::vector<char> whole(1024);
  const size_t n = strnlen(text, length);
  if (n >= 0x7FFFFFFF) return -1;
  const char* source = n == 0 ? "" : text;
  const int sourceLength = n == 0 ? -1 : static_cast<int>(n);
  int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, source, sourceLength, whole.data(),
                          static_cast<int>(whole.size()));
  if (size == 0) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return -1;
    size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, source, sourceLength, nullptr, 0);
    if (size <= 0) return -1;
    whole.resize(static_cast<size_t>(size));
    size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, source, sourceLength, whole.data(), size);
    if (size <= 0) return -1;
  }
  const size_t keyLength = static_cast<size_t>(size) - 1;  // without its zero
  const size_t offset = state->at[0];
  if (offset >= keyLength) return 0;
  const size_t take = keyLength - offset < capacity ? keyLength - offset : capacity;
  std::memcpy(key, whole.data() + offset, take);
  state->at[0] += static_cast<uint32_t>(take);
  return static_cast<long>(take);
}

bool AppendCodePageFromUtf8(const char* text, size_t length, std::string* out) {
  if (length == 0) return true;
  static thread_local std::wstring wide;
  const int n = static_cast<int>(length);
  int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, n, nullptr, 0);
  if (units <= 0) return false;
  wide.resize(static_cast<size_t>(units));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, n, &wide[0], units);
  if (GetACP() == CP_UTF8) {
    out->append(text, length);  // the system itself speaks UTF-8
    return true;
  }
  // No best fit: a character the code page lacks is not quietly turned into
  // a look-alike.
  BOOL lacking = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr, 0,
                                        nullptr, &lacking);
  if (bytes <= 0 || lacking) return false;
  const size_t at = out->size();
  out->resize(at + static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, &(*out)[at], bytes, nullptr,
                      nullptr);
  return true;
}

void AppendUtf8FromCodePage(const char* text, size_t length, std::string* out) {
  if (length == 0) return;
  if (GetACP() == CP_UTF8) {
    out->append(text, length);
    return;
  }
  static thread_local std::wstring wide;
  const int n = static_cast<int>(length);
  const int units = MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
  if (units <= 0) return;
  wide.resize(static_cast<size_t>(units));
  MultiByteToWideChar(CP_ACP, 0, text, n, &wide[0], units);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  const size_t at = out->size();
  out->resize(at + static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &(*out)[at], bytes, nullptr, nullptr);
}

bool CopyFileOver(const char* from, const char* to) {
  if (!WriteAllowed()) return false;
  return CopyFileA(from, to, FALSE) != 0;
}

bool ReplaceFileWith(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool DeleteFileAt(const char* path) { return DeleteFileA(path) != 0; }

bool FileExists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool ProgramFilePath(char* buffer, size_t size) {
  if (size == 0) return false;
  DWORD capacity = size > 0x7FFF ? 0x7FFF : static_cast<DWORD>(size);
  DWORD n = GetModuleFileNameA(nullptr, buffer, capacity);
  return n > 0 && n < capacity;
}

void FailWritesAfter(long count) { writesLeft = count; }

}  // namespace platform
