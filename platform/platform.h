// The thin layer between the portable core and the operating system: files,
// whole-file mappings, text collation and a few file-system calls. Nothing
// else in the core includes a system header; the Win32 and POSIX sides
// implement this one interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open file; kNoFile when none.
using FileHandle = void*;
constexpr FileHandle kNoFile = nullptr;

// Opens an existing file, for reading and writing or for reading only. Other
// processes may read it meanwhile but not write it.
FileHandle OpenExisting(const char* path, bool writable);
// Opens an existing file for reading only, with no sharing at all.
FileHandle OpenExclusive(const char* path);
// Creates the file, or truncates an existing one, for reading and writing,
// with no sharing.
FileHandle CreateAlways(const char* path);
void CloseFile(FileHandle file);

// Reads or writes exactly size bytes at the current position; false on any
// shortfall.
bool ReadExact(FileHandle file, void* buffer, size_t size);
bool WriteExact(FileHandle file, const void* buffer, size_t size);
// Reads up to size bytes; the count read, 0 at the end, -1 on an error.
long ReadSome(FileHandle file, void* buffer, size_t size);
bool Seek(FileHandle file, uint64_t position);
bool SeekToEnd(FileHandle file, uint64_t* position);
bool GetSize(FileHandle file, uint64_t* size);
// Cuts the file (or extends it with zeros) to size bytes.
bool Truncate(FileHandle file, uint64_t size);

// A view of a whole file. handle is the mapping object where the system has
// one, otherwise the view itself; both are null when nothing is mapped.
struct Mapping {
  void* handle = nullptr;
  uint8_t* view = nullptr;
  uint64_t size = 0;
};
// Maps the whole file; fails for an empty file and for one larger than the
// process can map.
bool MapWholeFile(FileHandle file, bool writable, Mapping* mapping);
void Unmap(Mapping* mapping);
// Writes the changed pages of part of a writable view to its file; the range
// is cut to the view.
bool FlushMappedRange(const Mapping& mapping, uint64_t offset, uint64_t length);
// Writes what the system holds of the file to the disk.
bool FlushFile(FileHandle file);

// Compares two zero-terminated single-byte texts in the user's locale order:
// negative, zero or positive.
int CompareText(const char* a, const char* b);

// Collation keys of single-byte texts, for sorting without collating on
// every comparison. Keys compare byte by byte, a key before every longer key
// it begins, in the order CompareText gives the texts, and two keys are equal
// exactly when CompareText finds the texts equal. A key is made in parts, from
// its start: CollationKeyPart writes the next up to capacity bytes of the key
// of the text (length bytes, or up to a zero) into key, and returns how many
// there were, fewer than capacity when the key ends among them; -1 when the
// key cannot be made (callers then compare with CompareText). The state says
// where the next part begins: zero for the first, then left as the call
// leaves it, for the same text.
struct CollationKeyState {
  uint32_t at[2] = {0, 0};
};
long CollationKeyPart(const char* text, size_t length, CollationKeyState* state, uint8_t* key,
                      size_t capacity);

// Text between UTF-8 and the system code page (natively Windows-1252),
// appended to out. A character the code page has no place for, or bytes
// that are not UTF-8, make AppendCodePageFromUtf8 return false, with out
// holding what came before them.
bool AppendCodePageFromUtf8(const char* text, size_t length, std::string* out);
void AppendUtf8FromCodePage(const char* text, size_t length, std::string* out);

// Whether a byte of the system code page begins a character of two bytes,
// as in the double-byte code pages (Japanese 932, Chinese 936 and 950,
// Korean 949); never in a single-byte one.
bool IsLeadByte(uint8_t byte);
#ifndef _WIN32
// Test seam, natively: the code page IsLeadByte goes by (1252, 932, 936,
// 949 or 950). The conversions to and from UTF-8 stay 1252's.
void SetCodePage(uint32_t codePage);
#endif

bool CopyFileOver(const char* from, const char* to);
// Moves from over to, replacing it.
bool ReplaceFileWith(const char* from, const char* to);
bool DeleteFileAt(const char* path);
bool FileExists(const char* path);
// The full path of the running program's own file; false when the system
// cannot say or it does not fit.
bool ProgramFilePath(char* buffer, size_t size);

// Test seam: after the given number of further successful writes (through
// WriteExact or Truncate), every write fails until the seam is reset with -1.
void FailWritesAfter(long count);

}  // namespace platform
