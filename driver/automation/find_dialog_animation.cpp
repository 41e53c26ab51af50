// The search animation: the shell's clip through an animation control, or
// eight drawn frames advanced by a timer of the parent window.
#include "find_dialog_animation.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "win_ui.h"

namespace notarel {

namespace {

// The clip of a search for a computer among shell32's AVI resources.
constexpr WORD kFindComputerClip = 152;
constexpr int kFrames = 8;
constexpr UINT_PTR kFrameTimer = 0x4E41;
constexpr UINT kFrameMs = 120;

}  // namespace

void TSearchAnimation::Create(HWND parent, int x, int y, int w, int h, int id) {
  FParent = parent;
  FHandle = ui::CreateControl(parent, ANIMATE_CLASSW, nullptr, ACS_TRANSPARENT | ACS_CENTER, x, y,
                              w, h, id);
  if (FHandle) ShowWindow(FHandle, SW_HIDE);
  FShellClip = FHandle && OpenShellClip();
  if (!FShellClip) {
    // No clip on this system: an owner-drawn picture takes the control's place.
    if (FHandle) DestroyWindow(FHandle);
    FHandle = ui::CreateControl(parent, L"STATIC", L"", SS_OWNERDRAW, x, y, w, h, id);
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
  }
}

namespace {

// Frames of an AVI file in memory, from its main header ("avih"); 0 when the
// data is not an AVI file of the usual layout.
DWORD ClipFrames(const BYTE* data, DWORD size) {
  constexpr DWORD kHeader = 24;  // RIFF, size, "AVI ", LIST, size, "hdrl"
  constexpr DWORD kTotalFrames = kHeader + 8 + 16;
  if (!data || size < kTotalFrames + 4) return 0;
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "AVI ", 4) != 0 ||
      std::memcmp(data + kHeader, "avih", 4) != 0) {
    return 0;
  }
  DWORD frames = 0;
  std::memcpy(&frames, data + kTotalFrames, sizeof(frames));
  return frames;
}

}  // namespace

bool TSearchAnimation::OpenShellClip() {
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  if (!shell) shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return false;
  HRSRC clip = FindResourceW(shell, MAKEINTRESOURCEW(kFindComputerClip), L"AVI");
  HGLOBAL loaded = clip ? LoadResource(shell, clip) : nullptr;
  const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  // A clip with fewer frames than the eight played is a stand-in (Wine ships
  // a two-frame clip with a caption), not the search animation.
  if (ClipFrames(data, clip ? SizeofResource(shell, clip) : 0) < kFrames) return false;
  return SendMessageW(FHandle, ACM_OPENW, reinterpret_cast<WPARAM>(shell),
                      reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kFindComputerClip))) != 0;
}

void TSearchAnimation::Play() {
  if (!FHandle) return;
  FPlaying = true;
  if (FShellClip) {
    // Frames are counted from 0: the first frame to the eighth, repeated.
    SendMessageW(FHandle, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, kFrames - 1));
  } else {
    FFrame = 0;
    SetTimer(FParent, kFrameTimer, kFrameMs, nullptr);
  }
  ShowWindow(FHandle, SW_SHOW);
  UpdateWindow(FHandle);
}

void TSearchAnimation::Stop() {
  if (!FHandle) return;
  FPlaying = false;
  if (FShellClip) {
    SendMessageW(FHandle, ACM_STOP, 0, 0);
  } else {
    KillTimer(FParent, kFrameTimer);
  }
  ShowWindow(FHandle, SW_HIDE);
}

bool TSearchAnimation::HandleTimer(UINT_PTR timerId) {
  if (timerId != kFrameTimer) return false;
  if (FPlaying && FHandle) {
    FFrame = (FFrame + 1) % kFrames;
    InvalidateRect(FHandle, nullptr, FALSE);
    UpdateWindow(FHandle);
  }
  return true;
}

bool TSearchAnimation::HandleDrawItem(const DRAWITEMSTRUCT* item) {
  if (FShellClip || !item || item->hwndItem != FHandle) return false;
  DrawFrame(item->hDC, item->rcItem, FFrame);
  return true;
}

void TSearchAnimation::DrawFrame(HDC dc, const RECT& rect, int frame) const {
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  // A computer: a monitor with a blue screen on a small stand.
  RECT monitor{rect.left + w / 5, rect.top + h / 8, rect.right - w / 5, rect.top + h * 5 / 8};
  HBRUSH frameBrush = GetSysColorBrush(COLOR_BTNSHADOW);
  HBRUSH screen = CreateSolidBrush(RGB(0, 96, 160));
  FillRect(dc, &monitor, frameBrush);
  RECT inner{monitor.left + 2, monitor.top + 2, monitor.right - 2, monitor.bottom - 2};
  FillRect(dc, &inner, screen);
  RECT stand{rect.left + w * 2 / 5, monitor.bottom, rect.right - w * 2 / 5, monitor.bottom + h / 10};
  FillRect(dc, &stand, frameBrush);
  RECT base{rect.left + w / 3, stand.bottom, rect.right - w / 3, stand.bottom + 2};
  FillRect(dc, &base, frameBrush);
  DeleteObject(screen);
  // A magnifying glass that circles over the screen, one step a frame.
  const double angle = 2.0 * 3.14159265358979 * frame / kFrames;
  const int radius = (h < w ? h : w) / 7;
  const int cx = (monitor.left + monitor.right) / 2 +
                 static_cast<int>(std::lround(w / 6.0 * std::cos(angle)));
  const int cy = (monitor.top + monitor.bottom) / 2 +
                 static_cast<int>(std::lround(h / 8.0 * std::sin(angle)));
  HPEN pen = CreatePen(PS_SOLID, ui::Scale(2), RGB(64, 64, 64));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Ellipse(dc, cx - radius, cy - radius, cx + radius, cy + radius);
  MoveToEx(dc, cx + radius * 7 / 10, cy + radius * 7 / 10, nullptr);
  LineTo(dc, cx + radius * 2, cy + radius * 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

}  // namespace notarel
