#include "core/safe_copy.h"

#include "platform/platform.h"
#include "store/text.h"

namespace {

constexpr char kSideSuffix[] = ".saving";

}  // namespace

bool SideFilePath(const char* to, char* side, size_t sideSize) {
  if (sideSize == 0) return false;
  if (to[0] == 0 || TextLength(to) + TextLength(kSideSuffix) >= sideSize) {
    side[0] = 0;
    return false;
  }
  CopyText(to, side, sideSize);
  AppendText(side, sideSize, kSideSuffix);
  return true;
}

bool CopyFileSafely(const char* from, const char* to) {
  char side[kSideFilePathSize];
  if (!SideFilePath(to, side, sizeof side)) return false;
  if (platform::CopyFileOver(from, side) && platform::ReplaceFileWith(side, to)) return true;
  platform::DeleteFileAt(side);
  return false;
}
