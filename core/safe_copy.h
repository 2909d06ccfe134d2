// Saving the working copy over the user's file without ever leaving that file
// half-written.
#pragma once

#include <cstddef>

// Room for the side file's path of any path of at most 599 characters.
constexpr size_t kSideFilePathSize = 600 + sizeof ".saving";

// The file beside `to` that a save writes first: `to` + ".saving". False when
// the name does not fit.
bool SideFilePath(const char* to, char* side, size_t sideSize);

// Copies `from` over `to` in two steps: a whole copy into the side file, then
// one replace of `to` by it (written through to the disk). On failure `to`
// is exactly as it was, the side file is removed, and false is returned.
bool CopyFileSafely(const char* from, const char* to);
