// What TOleControlBase keeps between calls; shared by its source files only.
#pragma once

#include "ole_control_base.h"
#include "ole_control_com.h"

#include <vector>

struct TOleControlBase::TState {
  TComPtr<IOleClientSite> Site;
  TComPtr<IOleInPlaceSite> InPlaceSite;
  TComPtr<IOleInPlaceFrame> Frame;
  TComPtr<IOleInPlaceUIWindow> UiWindow;
  TComPtr<IOleAdviseHolder> OleAdvise;
  TComPtr<IDataAdviseHolder> DataAdvise;

  TComPtr<IAdviseSink> ViewSink;
  DWORD ViewAspects = 0;
  DWORD ViewFlags = 0;

  SIZEL Extent{};  // HIMETRIC
  bool InPlaceActive = false;
  bool UiActive = false;
  bool Dirty = false;
  DWORD SafetyOptions = 0;
  LONG EventFreezes = 0;
  std::vector<DWORD> FreezeKeys;
  DWORD NextFreezeKey = 0;
};

namespace notarel {

// The default extent of the control, 40 by 40 pixels of the screen, in HIMETRIC.
SIZEL DefaultControlExtent();

}  // namespace notarel
