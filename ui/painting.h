// The paint of the windows the program draws itself (the main window's band,
// the record form): a white client area and Arial text 18 pixels high at
// 96 DPI, scaled to the window's.
#pragma once

#include <windows.h>

#include "ui/dpi.h"

class WhitePage {
 public:
  // Begins the paint, fills width x height white and selects the font.
  WhitePage(HWND window, LONG width, LONG height) : window_(window) {
    dc_ = BeginPaint(window, &paint_);
    RECT all = {0, 0, width, height};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc_, &all, white);
    DeleteObject(white);
    font_ = CreateFontA(Scale(window, 18), 0, 0, 0, 50, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    oldFont_ = SelectObject(dc_, font_);
  }
  ~WhitePage() {
    SelectObject(dc_, oldFont_);
    DeleteObject(font_);
    EndPaint(window_, &paint_);
  }
  WhitePage(const WhitePage&) = delete;
  WhitePage& operator=(const WhitePage&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
  HFONT font_;
  HGDIOBJ oldFont_;
};
