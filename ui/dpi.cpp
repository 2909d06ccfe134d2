#include "ui/dpi.h"

#include <mutex>
#include <vector>

namespace {

// The window property that holds the DPI a window is laid out for.
constexpr char kLaidOutDpi[] = "Veldrana.Dpi";

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetProcessDpiAwarenessFunction = HRESULT(WINAPI*)(HANDLE, int*);
constexpr int kEffectiveDpi = 0;           // MDT_EFFECTIVE_DPI
constexpr int kPerMonitorAware = 2;        // PROCESS_PER_MONITOR_DPI_AWARE

// What this system offers; null where it is too old.
struct DpiFunctions {
  GetDpiForWindowFunction getDpiForWindow = nullptr;
  GetDpiForSystemFunction getDpiForSystem = nullptr;
  SystemParametersInfoForDpiFunction systemParametersInfoForDpi = nullptr;
  GetDpiForMonitorFunction getDpiForMonitor = nullptr;  // only when per-monitor aware
};

template <typename Function>
Function Find(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

const DpiFunctions& Functions() {
  static const DpiFunctions functions = [] {
    DpiFunctions found;
    HMODULE user = GetModuleHandleA("user32.dll");
    found.getDpiForWindow = Find<GetDpiForWindowFunction>(user, "GetDpiForWindow");
    found.getDpiForSystem = Find<GetDpiForSystemFunction>(user, "GetDpiForSystem");
    found.systemParametersInfoForDpi =
        Find<SystemParametersInfoForDpiFunction>(user, "SystemParametersInfoForDpi");
    // Windows 8.1 has the monitors' DPIs but not the windows'. A monitor's
    // DPI is the window's only when the process is per-monitor aware, as the
    // manifest asks; a user's compatibility setting may say otherwise.
    if (!found.getDpiForWindow) {
      HMODULE shcore = LoadLibraryA("shcore.dll");
      auto awareness = Find<GetProcessDpiAwarenessFunction>(shcore, "GetProcessDpiAwareness");
      int aware = 0;
      if (awareness && SUCCEEDED(awareness(nullptr, &aware)) && aware == kPerMonitorAware)
        found.getDpiForMonitor = Find<GetDpiForMonitorFunction>(shcore, "GetDpiForMonitor");
    }
    return found;
  }();
  return functions;
}

int SystemDpi() {
  if (Functions().getDpiForSystem) {
    const UINT dpi = Functions().getDpiForSystem();
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

// Fonts and icons made for a DPI live for the whole run: a few of each at
// most, and nobody has to know when a window stops using one. The search
// navigator's prompt runs on a thread of its own, hence the lock.
std::mutex madeLock;
struct MadeFont {
  SystemFont which;
  int dpi;
  HFONT font;
};
std::vector<MadeFont> madeFonts;
struct MadeIcon {
  int id;
  int size;
  HICON icon;
};
std::vector<MadeIcon> madeIcons;

bool SystemFontAt(SystemFont which, int dpi, LOGFONTW* font) {
  const DpiFunctions& f = Functions();
  if (which == SystemFont::kIconTitle) {
    if (f.systemParametersInfoForDpi &&
        f.systemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof *font, font, 0, static_cast<UINT>(dpi)))
      return true;
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof *font, font, 0)) return false;
  } else {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (f.systemParametersInfoForDpi &&
        f.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                     static_cast<UINT>(dpi))) {
      *font = metrics.lfStatusFont;
      return true;
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    *font = metrics.lfStatusFont;
  }
  // The system's own fonts are at the system's DPI.
  font->lfHeight = MulDiv(font->lfHeight, dpi, SystemDpi());
  return true;
}

}  // namespace

int WindowDpi(HWND window) {
  HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!top) return SystemDpi();
  const int laidOut = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(top, kLaidOutDpi)));
  if (laidOut > 0) return laidOut;
  const DpiFunctions& f = Functions();
  if (f.getDpiForWindow) {
    const UINT dpi = f.getDpiForWindow(top);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  if (f.getDpiForMonitor) {
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST);
    if (SUCCEEDED(f.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y != 0) return static_cast<int>(y);
  }
  return SystemDpi();
}

int ScaleToDpi(int pixels96, int dpi) { return MulDiv(pixels96, dpi, kBaseDpi); }

int UnscaleFromDpi(int pixels, int dpi) { return dpi > 0 ? MulDiv(pixels, kBaseDpi, dpi) : pixels; }

int Scale(HWND window, int pixels96) { return ScaleToDpi(pixels96, WindowDpi(window)); }

int Unscale(HWND window, int pixels) { return UnscaleFromDpi(pixels, WindowDpi(window)); }

void NoteWindowDpi(HWND window, int dpi) {
  if (dpi > 0) SetPropA(window, kLaidOutDpi, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
}

void ForgetWindowDpi(HWND window) { RemovePropA(window, kLaidOutDpi); }

void TakeSuggestedRect(HWND window, LPARAM suggested) {
  const RECT* rect = reinterpret_cast<const RECT*>(suggested);
  if (!rect) return;
  SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int ToolbarImageSize(HWND window) {
  const int wanted = Scale(window, 16);
  int size = 16;
  for (int drawn : {20, 24, 32})
    if (drawn <= wanted) size = drawn;
  return size;
}

HFONT SystemFontForDpi(SystemFont which, int dpi) {
  std::lock_guard<std::mutex> lock(madeLock);
  for (const MadeFont& made : madeFonts)
    if (made.which == which && made.dpi == dpi) return made.font;
  LOGFONTW logFont = {};
  if (!SystemFontAt(which, dpi, &logFont)) return nullptr;
  HFONT font = CreateFontIndirectW(&logFont);
  if (font) madeFonts.push_back({which, dpi, font});
  return font;
}

HICON IconForWindow(HWND window, int id, int size96) {
  const int size = Scale(window, size96);
  std::lock_guard<std::mutex> lock(madeLock);
  for (const MadeIcon& made : madeIcons)
    if (made.id == id && made.size == size) return made.icon;
  // The icon's own image of that size when it has one (see
  // resources/make_images.py for the sizes), else the system's best.
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
  if (icon) madeIcons.push_back({id, size, icon});
  return icon;
}

void ShowDialogIcons(HWND dialog, const int* ids, size_t count) {
  size_t next = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child && next < count; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0 || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
      continue;
    if (HICON icon = IconForWindow(dialog, ids[next], 32)) SendMessageA(child, STM_SETICON, (WPARAM)icon, 0);
    ++next;
  }
}
