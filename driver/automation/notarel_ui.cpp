// The control-side members of IWBA003 and IWBA003_3: they do not forward to
// the driver core (FileVersion, ParentWnd and AboutBox never create it).
#include <cstdint>

#include "about_box.h"
#include "file_version.h"
#include "find_dialog.h"
#include "module.h"
#include "notarel_forward.h"

using notarel::TComPtr;
using notarel::TDriver;

HRESULT STDMETHODCALLTYPE TNotarel::get_FileVersion(BSTR* Value) {
  if (!Value) return E_POINTER;
  *Value = nullptr;
  return Guard([&] {
    *Value = notarel::DriverTextToBstr(notarel::GetFileVersion(notarel::ModuleHandle()));
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::get_ParentWnd(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = FParentWnd;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::put_ParentWnd(LONG value) {
  FParentWnd = value;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNotarel::ShowFindDlg(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  // Window handles are 32-bit values on every Windows, so the stored number
  // is widened with its sign to the pointer-sized handle.
  const HWND owner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(FParentWnd));
  return Guard([&] { notarel::ShowFindDialog(owner, static_cast<IWBA003_4*>(this)); });
}

HRESULT STDMETHODCALLTYPE TNotarel::AboutBox() {
  return Guard([&] {
    if (!notarel::HasInteractiveWindowStation()) return;
    const std::wstring version = L"Версия драйвера: " +
        notarel::DriverTextToWide(notarel::GetFileVersion(notarel::ModuleHandle()));
    notarel::ShowAboutBox(GetActiveWindow(), L"Драйвер купюроприемника", {version});
  });
}

HRESULT STDMETHODCALLTYPE TNotarel::SetDefaults(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  return WriteValue([](TDriver& d) { d.SetDefaults(); });
}

HRESULT STDMETHODCALLTYPE TNotarel::ShowProperties(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = 0;
  return Guard([&] { notarel::CheckHr(OpenPropertyFrame(), "ShowProperties"); });
}

// Also the "Properties" verb's action, called by containers through DoVerb:
// it reports failures as an HRESULT and never throws.
HRESULT TNotarel::OpenPropertyFrame() {
  TComPtr<ISpecifyPropertyPages> specify;
  HRESULT hr = QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid());
  if (FAILED(hr)) return hr;
  CAUUID pages{0, nullptr};
  hr = specify->GetPages(&pages);
  if (SUCCEEDED(hr) && pages.cElems > 0) {
    IUnknown* self = static_cast<IWBA003_4*>(this);
    hr = OleCreatePropertyFrame(GetActiveWindow(), 16, 16, nullptr, 1, &self, pages.cElems,
                                pages.pElems, GetSystemDefaultLCID(), 0, nullptr);
  }
  CoTaskMemFree(pages.pElems);
  return hr;
}
