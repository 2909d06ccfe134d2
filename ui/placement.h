// The settings' placements as the system's WINDOWPLACEMENT: the same 44 bytes
// in the same order, copied whole. Windows code only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "core/settings.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(WindowPlacement), "44-byte placements");
static_assert(offsetof(WINDOWPLACEMENT, showCmd) == offsetof(WindowPlacement, showCommand), "");
static_assert(offsetof(WINDOWPLACEMENT, ptMinPosition) == offsetof(WindowPlacement, minimizedX), "");
static_assert(offsetof(WINDOWPLACEMENT, ptMaxPosition) == offsetof(WindowPlacement, maximizedX), "");
static_assert(offsetof(WINDOWPLACEMENT, rcNormalPosition) == offsetof(WindowPlacement, normalLeft),
              "");

inline void ToNativePlacement(const WindowPlacement& from, WINDOWPLACEMENT* to) {
  std::memcpy(to, &from, sizeof *to);
}

inline void FromNativePlacement(const WINDOWPLACEMENT& from, WindowPlacement* to) {
  std::memcpy(to, &from, sizeof *to);
}

// The window's placement as the settings keep it; false when the system
// cannot tell.
inline bool CaptureWindowPlacement(HWND window, WindowPlacement* to) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  FromNativePlacement(placement, to);
  return true;
}
