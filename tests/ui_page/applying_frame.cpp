#include "applying_frame.h"

#include <commctrl.h>
#include <oleauto.h>
#include <prsht.h>

#include "com_ptr.h"

namespace notarel::test {
namespace {

struct FramePage {
  IUnknown* object;
  TComPtr<IPropertyPage> page;
  std::vector<FrameApply>* applies;
};

// An empty dialog template for the sheet's page, in dialog units.
struct alignas(4) PageTemplate {
  DLGTEMPLATE dialog;
  WORD menu, windowClass, title;
};

// The description of the error record posted on this thread, taking it.
std::wstring PostedError() {
  TComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info) return L"(no error record)";
  BSTR description = nullptr;
  info->GetDescription(&description);
  std::wstring text = description ? description : L"";
  SysFreeString(description);
  return text;
}

void Activate(HWND dialog, FramePage& state) {
  RECT rect;
  GetClientRect(dialog, &rect);
  IUnknown* objects[] = {state.object};
  state.page->SetObjects(1, objects);
  state.page->Activate(dialog, &rect, TRUE);
  state.page->Show(SW_SHOW);
}

INT_PTR CALLBACK PageDialogProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
  auto* state = reinterpret_cast<FramePage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      state = reinterpret_cast<FramePage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      Activate(dialog, *state);
      return TRUE;
    case WM_NOTIFY: {
      if (!state || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
      const HRESULT hr = state->page->Apply();
      state->applies->push_back({hr, FAILED(hr) ? PostedError() : std::wstring()});
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT,
                        FAILED(hr) ? PSNRET_INVALID_NOCHANGEPAGE : PSNRET_NOERROR);
      return TRUE;
    }
    case WM_DESTROY:
      if (state) {
        state->page->Show(SW_HIDE);
        state->page->Deactivate();
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const FrameApply& apply) {
  return out << "0x" << std::hex << static_cast<unsigned long>(apply.Result) << std::dec << " with "
             << apply.Error.size() << " characters of error";
}

HRESULT OpenApplyingFrame(IUnknown* object, REFCLSID page, const wchar_t* caption,
                          std::vector<FrameApply>& applies) {
  FramePage state{object, {}, &applies};
  HRESULT hr = CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                reinterpret_cast<void**>(state.page.Out()));
  if (FAILED(hr)) return hr;
  PROPPAGEINFO info{};
  info.cb = sizeof(info);
  hr = state.page->GetPageInfo(&info);
  if (FAILED(hr)) return hr;
  const LONG units = GetDialogBaseUnits();
  PageTemplate layout{};
  layout.dialog.style = WS_CHILD | DS_CONTROL;
  layout.dialog.cx = static_cast<short>(MulDiv(info.size.cx, 4, LOWORD(units)));
  layout.dialog.cy = static_cast<short>(MulDiv(info.size.cy, 8, HIWORD(units)));

  PROPSHEETPAGEW sheetPage{};
  sheetPage.dwSize = sizeof(sheetPage);
  sheetPage.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
  sheetPage.pResource = &layout.dialog;
  sheetPage.pszTitle = info.pszTitle;
  sheetPage.pfnDlgProc = &PageDialogProc;
  sheetPage.lParam = reinterpret_cast<LPARAM>(&state);
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
  header.hwndParent = GetActiveWindow();
  header.pszCaption = caption;
  header.nPages = 1;
  header.ppsp = &sheetPage;
  const INT_PTR shown = PropertySheetW(&header);
  CoTaskMemFree(info.pszTitle);
  CoTaskMemFree(info.pszDocString);
  CoTaskMemFree(info.pszHelpFile);
  state.page->SetObjects(0, nullptr);
  return shown < 0 ? E_FAIL : S_OK;
}

}  // namespace notarel::test
