// POSIX side of the platform layer: file descriptors, mmap, and ICU for the
// locale order of single-byte (Windows-1252) text.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unicode/ucol.h>
#include <unicode/uiter.h>

namespace platform {
namespace {

long writesLeft = -1;  // the fault-injection seam; -1 is off

bool WriteAllowed() {
  if (writesLeft < 0) return true;
  if (writesLeft == 0) return false;
  --writesLeft;
  return true;
}

int Descriptor(FileHandle file) {
  return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1;
}

FileHandle Handle(int fd) {
  return fd < 0 ? kNoFile : reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd) + 1);
}

// Windows-1252 to UTF-16; the five unassigned bytes map to the C1 controls.
const uint16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

UChar Widen(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHighHalf[c - 0x80];
  return c;
}

UCollator* Collator() {
  static UCollator* collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    // The root order: letters before case, digits as characters.
    UCollator* c = ucol_open("", &status);
    return U_FAILURE(status) ? nullptr : c;
  }();
  return collator;
}

// Converts up to length bytes (stopping at a zero) into out; returns the
// number of UTF-16 units.
size_t ToUtf16(const char* text, size_t length, UChar* out) {
  size_t n = 0;
  while (n < length && text[n] != 0) {
    out[n] = Widen(static_cast<unsigned char>(text[n]));
    ++n;
  }
  return n;
}

}  // namespace

FileHandle OpenExisting(const char* path, bool writable) {
  return Handle(open(path, (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC));
}

FileHandle OpenExclusive(const char* path) {
  return Handle(open(path, O_RDONLY | O_CLOEXEC));
}

FileHandle CreateAlways(const char* path) {
  if (!WriteAllowed()) return kNoFile;
  return Handle(open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) close(Descriptor(file));
}

bool ReadExact(FileHandle file, void* buffer, size_t size) {
  char* p = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t n = read(Descriptor(file), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

long ReadSome(FileHandle file, void* buffer, size_t size) {
  for (;;) {
    ssize_t n = read(Descriptor(file), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long>(n);
  }
}

bool WriteExact(FileHandle file, const void* buffer, size_t size) {
  if (!WriteAllowed()) return false;
  const char* p = static_cast<const char*>(buffer);
  while (size > 0) {
    ssize_t n = write(Descriptor(file), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool Seek(FileHandle file, uint64_t position) {
  return lseek(Descriptor(file), static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool SeekToEnd(FileHandle file, uint64_t* position) {
  off_t end = lseek(Descriptor(file), 0, SEEK_END);
  if (end < 0) return false;
  *position = static_cast<uint64_t>(end);
  return true;
}

bool GetSize(FileHandle file, uint64_t* size) {
  struct stat st;
  if (fstat(Descriptor(file), &st) != 0) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool Truncate(FileHandle file, uint64_t size) {
  if (!WriteAllowed()) return false;
  return ftruncate(Descriptor(file), static_cast<off_t>(size)) == 0;
}

bool MapWholeFile(FileHandle file, bool writable, Mapping* mapping) {
  uint64_t size = 0;
  if (!GetSize(file, &size) || size == 0 || size > SIZE_MAX) return false;
  void* view = mmap(nullptr, static_cast<size_t>(size),
                    writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                    Descriptor(file), 0);
  if (view == MAP_FAILED) return false;
  mapping->handle = view;
  mapping->view = static_cast<uint8_t*>(view);
  mapping->size = size;
  return true;
}

void Unmap(Mapping* mapping) {
  if (mapping->view != nullptr) munmap(mapping->view, static_cast<size_t>(mapping->size));
  *mapping = Mapping();
}

bool FlushMappedRange(const Mapping& mapping, uint64_t offset, uint64_t length) {
  if (mapping.view == nullptr || offset >= mapping.size) return true;
  if (length > mapping.size - offset) length = mapping.size - offset;
  // msync wants a page-aligned start.
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t start = offset / page * page;
  return msync(mapping.view + start, static_cast<size_t>(offset - start + length), MS_SYNC) == 0;
}

bool FlushFile(FileHandle file) { return fsync(Descriptor(file)) == 0; }

int CompareText(const char* a, const char* b) {
  UCollator* collator = Collator();
  if (collator == nullptr) return std::strcmp(a, b);
  // Texts are at most a text field wide; longer ones are compared in pieces
  // of the same size, which the store never needs.
  static thread_local UChar wa[8192], wb[8192];
  size_t na = ToUtf16(a, sizeof wa / sizeof wa[0], wa);
  size_t nb = ToUtf16(b, sizeof wb / sizeof wb[0], wb);
  UCollationResult r = ucol_strcoll(collator, wa, static_cast<int32_t>(na), wb,
                                    static_cast<int32_t>(nb));
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

long CollationKeyPart(const char* text, size_t length, CollationKeyState* state, uint8_t* key,
                      size_t capacity) {
  if (capacity > INT32_MAX) capacity = INT32_MAX;
  static thread_local UChar wide[8192];
  if (length > sizeof wide / sizeof wide[0]) length = sizeof wide / sizeof wide[0];
  UCollator* collator = Collator();
  if (collator == nullptr) {
    // CompareText falls back to strcmp, whose order is that of the bytes.
    const size_t n = strnlen(text, length);
    const size_t offset = state->at[0];
    if (offset >= n) return 0;
    const size_t take = n - offset < capacity ? n - offset : capacity;
    std::memcpy(key, text + offset, take);
    state->at[0] += static_cast<uint32_t>(take);
    return static_cast<long>(take);
  }
  // ICU's own state of a key made in parts.
  const size_t n = ToUtf16(text, length, wide);
  UCharIterator iter;
  uiter_setString(&iter, wide, static_cast<int32_t>(n));
  UErrorCode status = U_ZERO_ERROR;
  const int32_t got = ucol_nextSortKeyPart(collator, &iter, state->at, key,
                                           static_cast<int32_t>(capacity), &status);
  if (U_FAILURE(status) || got < 0) return -1;
  return got;
}

bool AppendCodePageFromUtf8(const char* text, size_t length, std::string* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* end = p + length;
  while (p < end) {
    if (*p < 0x80) {
      out->push_back(static_cast<char>(*p++));
      continue;
    }
    // Windows-1252 holds nothing beyond U+FFFF, so two- and three-byte
    // sequences are all it needs to read.
    uint32_t c = 0;
    if ((*p & 0xE0) == 0xC0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      c = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
      if (c < 0x80) return false;
      p += 2;
    } else if ((*p & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
      c = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
      if (c < 0x800) return false;
      p += 3;
    } else {
      return false;
    }
    int byte = -1;
    if (c >= 0xA0 && c <= 0xFF) byte = static_cast<int>(c);
    for (int i = 0; i < 32 && byte < 0; ++i)
      if (kHighHalf[i] == c) byte = 0x80 + i;
    if (byte < 0) return false;
    out->push_back(static_cast<char>(byte));
  }
  return true;
}

void AppendUtf8FromCodePage(const char* text, size_t length, std::string* out) {
  for (size_t i = 0; i < length; ++i) {
    const UChar c = Widen(static_cast<unsigned char>(text[i]));
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xC0 | c >> 6));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xE0 | c >> 12));
      out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

namespace {
uint32_t codePage = 1252;
}  // namespace

bool IsLeadByte(uint8_t byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

void SetCodePage(uint32_t page) { codePage = page; }

bool CopyFileOver(const char* from, const char* to) {
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // The copy keeps the source's permissions, so that a file moved back over
  // the user's file leaves them as they were.
  struct stat st;
  mode_t mode = fstat(in, &st) == 0 ? (st.st_mode & 07777) : 0644;
  int out = -1;
  if (WriteAllowed()) out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (out < 0) {
    close(in);
    return false;
  }
  static char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!WriteExact(Handle(out), buffer, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  close(in);
  if (ok && fsync(out) != 0) ok = false;
  if (close(out) != 0) ok = false;
  return ok;
}

bool ReplaceFileWith(const char* from, const char* to) {
  return std::rename(from, to) == 0;
}

bool DeleteFileAt(const char* path) { return unlink(path) == 0; }

bool FileExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

bool ProgramFilePath(char* buffer, size_t size) {
  if (size == 0) return false;
  ssize_t n = readlink("/proc/self/exe", buffer, size);
  if (n <= 0 || static_cast<size_t>(n) >= size) return false;
  buffer[n] = 0;
  return true;
}

void FailWritesAfter(long count) { writesLeft = count; }

}  // namespace platform
