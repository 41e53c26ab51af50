#include "ax_window.h"

#include <cmath>
#include <cstdint>
#include <vector>

const wchar_t TAxCtrl::kClassName[] = L"TAxCtrl";

int CentredOrigin(int innerStart, int innerSize, int pictureSize) {
  // nearbyint rounds halves to even in the default rounding mode, like the
  // Round of the toolkit whose controls this window imitates.
  const double origin = innerStart + innerSize / 2.0 - pictureSize / 2.0;
  return static_cast<int>(std::nearbyint(origin));
}

HINSTANCE ControlModule() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

namespace {

// A palette with the colours of a DIB section's colour table; null when the
// bitmap has none (true-colour pictures).
HPALETTE PaletteOfBitmap(HBITMAP bitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  HGDIOBJ old = SelectObject(dc, bitmap);
  RGBQUAD table[256];
  const UINT count = GetDIBColorTable(dc, 0, 256, table);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (count == 0) return nullptr;

  std::vector<BYTE> memory(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  for (UINT i = 0; i < count; ++i) {
    palette->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  }
  return CreatePalette(palette);
}

void FillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT rect{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// Raised bevel one pixel wide: highlight along the top and left, shadow along
// the bottom and right; the shadow owns the top-right and bottom-left corners.
void DrawRaisedBevel(HDC dc, const RECT& r) {
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  FillSolid(dc, r.left, r.top, r.right - 1, r.top + 1, light);
  FillSolid(dc, r.left, r.top, r.left + 1, r.bottom - 1, light);
  FillSolid(dc, r.right - 1, r.top, r.right, r.bottom, shadow);
  FillSolid(dc, r.left, r.bottom - 1, r.right, r.bottom, shadow);
}

}  // namespace

TAxCtrl::TAxCtrl() {
  FBitmap = static_cast<HBITMAP>(
      LoadImageW(ControlModule(), MAKEINTRESOURCEW(1), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (FBitmap) FPalette = PaletteOfBitmap(FBitmap);
}

TAxCtrl::~TAxCtrl() {
  Destroy();
  if (FPalette) DeleteObject(FPalette);
  if (FBitmap) DeleteObject(FBitmap);
}

HWND TAxCtrl::Create(HWND parent, const RECT& rect) {
  const HINSTANCE module = ControlModule();
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(module, kClassName, &existing)) {
    // No CS_HREDRAW or CS_VREDRAW: WM_WINDOWPOSCHANGED invalidates instead, on
    // moves as well as on size changes. No background brush: the window is opaque.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &notarel::ui::RoutedWindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  }
  Destroy();
  CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                  nullptr, module, notarel::ui::RouteTo(this));
  return FHandle;
}

void TAxCtrl::UnregisterWindowClass() { UnregisterClassW(kClassName, ControlModule()); }

void TAxCtrl::Destroy() {
  if (FHandle) DestroyWindow(FHandle);  // WM_NCDESTROY clears FHandle
  FHandle = nullptr;
}

void TAxCtrl::Paint(HDC dc, const RECT& rect) const {
  DrawRaisedBevel(dc, rect);
  const RECT inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  // The control's colour is the system's button face: it has no colour property.
  FillSolid(dc, inner.left, inner.top, inner.right, inner.bottom, GetSysColor(COLOR_BTNFACE));
  if (FBitmap) DrawBitmap(dc, inner);
}

void TAxCtrl::DrawBitmap(HDC dc, const RECT& inner) const {
  BITMAP info{};
  if (!GetObjectW(FBitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return;
  const int x = CentredOrigin(inner.left, inner.right - inner.left, info.bmWidth);
  const int y = CentredOrigin(inner.top, inner.bottom - inner.top, info.bmHeight);
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, FBitmap);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

LRESULT TAxCtrl::WindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // opaque: WM_PAINT covers every pixel
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
        InvalidateRect(FHandle, nullptr, TRUE);
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(FHandle, message, wParam, lParam);
}

void TAxCtrl::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  HPALETTE oldPalette = nullptr;
  if (FPalette) {
    oldPalette = SelectPalette(dc, FPalette, TRUE);
    RealizePalette(dc);
  }
  RECT client;
  GetClientRect(FHandle, &client);
  Paint(dc, client);
  if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
  EndPaint(FHandle, &ps);
}
