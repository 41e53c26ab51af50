#pragma once
// The search dialog's animation: the shell's "search for a computer" clip
// where the system has it, otherwise a drawn equivalent (a magnifying glass
// circling over a computer) with the same eight frames.
#include <windows.h>

namespace notarel {

class TSearchAnimation {
 public:
  // Creates the animation at design geometry, hidden and stopped.
  void Create(HWND parent, int x, int y, int w, int h, int id);
  // Shows it and plays frames 1 to 8 over and over.
  void Play();
  // Stops it and hides it.
  void Stop();

  HWND Handle() const { return FHandle; }
  // Whether the shell's own clip plays (else the drawn frames).
  bool UsesShellClip() const { return FShellClip; }

  // The parent's WM_TIMER and WM_DRAWITEM for the drawn frames; true when
  // the message was the animation's.
  bool HandleTimer(UINT_PTR timerId);
  bool HandleDrawItem(const DRAWITEMSTRUCT* item);

 private:
  bool OpenShellClip();
  void DrawFrame(HDC dc, const RECT& rect, int frame) const;

  HWND FHandle = nullptr;
  HWND FParent = nullptr;
  bool FShellClip = false;
  bool FPlaying = false;
  int FFrame = 0;
};

}  // namespace notarel
