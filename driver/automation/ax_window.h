// TAxCtrl: the small window that stands for the control on a container's
// surface. A plain custom-drawn child window: a raised one-pixel bevel, the
// control colour, and the module's bitmap resource 1 in the middle.
#pragma once

#include <windows.h>

#include "window_router.h"

// Left (or top) edge that centres a picture of `pictureSize` in the span that
// starts at `innerStart` and is `innerSize` long: start + size/2 - picture/2,
// computed with fractions and rounded to the nearest integer, halves to even.
int CentredOrigin(int innerStart, int innerSize, int pictureSize);

// Module that holds this code (the control's DLL, or the program it is linked
// into); its resources hold the control's picture.
HINSTANCE ControlModule();

class TAxCtrl : private notarel::ui::TWindowTarget {
public:
  static constexpr int kDefaultWidth = 40;
  static constexpr int kDefaultHeight = 40;
  static const wchar_t kClassName[];

  // Loads FBitmap from bitmap resource 1 of ControlModule() and makes the
  // palette from its colour table. The window itself is made by Create.
  TAxCtrl();
  ~TAxCtrl();
  TAxCtrl(const TAxCtrl&) = delete;
  TAxCtrl& operator=(const TAxCtrl&) = delete;

  // Creates the child window of `parent` at `rect` (parent's client
  // coordinates), registering the window class on first use. Returns the
  // window, or null with the system error left in GetLastError.
  HWND Create(HWND parent, const RECT& rect);
  void Destroy();
  HWND Handle() const { return FHandle; }

  // Removes the window class when no window of it is left. The module calls
  // it when it is unloaded (DLL_PROCESS_DETACH): Windows does not unregister
  // a DLL's classes by itself, and their window procedure goes with the DLL.
  static void UnregisterWindowClass();

  HBITMAP Bitmap() const { return FBitmap; }
  // The bitmap's palette; null when the bitmap is empty or has no colour table.
  HPALETTE Palette() const { return FPalette; }

  // Paints the control's picture into `rect` of `dc`: the window's own paint
  // and IViewObject::Draw both come here.
  void Paint(HDC dc, const RECT& rect) const;

private:
  // The window router's calls: the handle is kept from WM_NCCREATE to WM_NCDESTROY.
  void WindowAttached(HWND window) override { FHandle = window; }
  LRESULT WindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void WindowDestroyed(HWND) override { FHandle = nullptr; }
  void OnPaint();
  void DrawBitmap(HDC dc, const RECT& inner) const;

  HWND FHandle = nullptr;
  HBITMAP FBitmap = nullptr;
  HPALETTE FPalette = nullptr;
};
