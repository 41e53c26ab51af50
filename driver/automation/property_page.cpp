// TfmPage as a COM object: IPropertyPage for the frame, and the transfer of
// the settings between the page's components and the edited control.
#include "property_page.h"

#include <new>

#include "member_guard.h"
#include "module.h"
#include "port_baud_lists.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {

const wchar_t kPageCaption[] = L"Купюроприемник";

namespace {

// Runs a load for the frame and turns an error into the HRESULT the frame
// gets. A failing member of the control has posted its own error
// record already, which stays for the frame to read.
template <class F>
HRESULT Guarded(F operation) {
  try {
    operation();
  } catch (const TComError& error) {
    return error.Result();
  } catch (...) {
    return ReportCurrentException(L"TfmPage");
  }
  return S_OK;
}

}  // namespace

TfmPage::TfmPage() { ModuleAddObject(); }

TfmPage::~TfmPage() {
  DestroyPageWindow();
  ModuleReleaseObject();
}

HRESULT STDMETHODCALLTYPE TfmPage::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
    *out = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TfmPage::AddRef() { return InterlockedIncrement(&FRefCount); }

ULONG STDMETHODCALLTYPE TfmPage::Release() {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE TfmPage::SetPageSite(IPropertyPageSite* site) {
  FPageSite = TComPtr<IPropertyPageSite>::Share(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::Activate(HWND parent, LPCRECT rect, BOOL /*modal*/) {
  if (!rect) return E_POINTER;
  if (FWindow) return E_UNEXPECTED;
  // The page takes its own design size at the frame's origin: the frame
  // made room for the size the page reported, while the rectangle some
  // frames pass is that of a host window measured in other dialog units.
  const RECT own{rect->left, rect->top, rect->left + ui::Scale(kPageWidth),
                 rect->top + ui::Scale(kPageHeight)};
  if (!CreatePageWindow(parent, own)) return HRESULT_FROM_WIN32(GetLastError());
  return Guarded([this] { UpdatePropertyPage(); });
}

HRESULT STDMETHODCALLTYPE TfmPage::Deactivate() {
  DestroyPageWindow();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  const size_t bytes = sizeof(kPageCaption);
  auto* title = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!title) return E_OUTOFMEMORY;
  CopyMemory(title, kPageCaption, bytes);
  info->cb = sizeof(PROPPAGEINFO);
  info->pszTitle = title;
  info->size.cx = ui::Scale(kPageWidth);
  info->size.cy = ui::Scale(kPageHeight);
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 0 && !objects) return E_POINTER;
  // A new edited object drops the interface kept for the old one.
  FDriverIntf.Reset();
  FObject = TComPtr<IUnknown>::Share(count > 0 ? objects[0] : nullptr);
  if (!FWindow || !FObject) return S_OK;
  return Guarded([this] { UpdatePropertyPage(); });
}

HRESULT STDMETHODCALLTYPE TfmPage::Show(UINT cmdShow) {
  if (!FWindow) return E_UNEXPECTED;
  ShowWindow(FWindow, static_cast<int>(cmdShow));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TfmPage::Move(LPCRECT rect) {
  if (!rect) return E_POINTER;
  if (!FWindow) return E_UNEXPECTED;
  MoveWindow(FWindow, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             TRUE);
  return S_OK;
}

// Edits never mark the page as changed: the values reach the control when the
// frame applies the page and before each connection test.
HRESULT STDMETHODCALLTYPE TfmPage::IsPageDirty() { return S_FALSE; }

HRESULT STDMETHODCALLTYPE TfmPage::Apply() {
  if (!FWindow) return S_OK;
  if (FInFrameApply) FAppliedInFrameApply = true;
  return ApplyOnce();
}

HRESULT STDMETHODCALLTYPE TfmPage::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TfmPage::TranslateAccelerator(MSG* msg) {
  if (!msg) return E_POINTER;
  // Keyboard navigation between the page's controls.
  return FWindow && IsDialogMessageW(FWindow, msg) ? S_OK : S_FALSE;
}

IWBA003_4* TfmPage::GetDriverIntf() {
  if (!FDriverIntf) {
    if (!FObject) throw TComError(E_UNEXPECTED, "The page has no object to edit");
    CheckHr(FObject->QueryInterface(IID_IWBA003_4, FDriverIntf.OutVoid()), "IWBA003_4");
  }
  return FDriverIntf.Get();
}

namespace {

LRESULT SendTo(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(wnd, msg, wParam, lParam);
}

}  // namespace

void TfmPage::UpdatePropertyPage() {
  LONG value = 0;
  CheckHr(GetDriverIntf()->get_BaudRate(&value), "BaudRate");
  SendTo(Item(idCbBaudRate), CB_SETCURSEL, static_cast<WPARAM>(BaudRateToIndex(value)));
  CheckHr(GetDriverIntf()->get_PortNumber(&value), "PortNumber");
  SendTo(Item(idCbPortNumber), CB_SETCURSEL, static_cast<WPARAM>(value - 1));

  const HWND countries = Item(idCbCountryCode);
  ShowWindow(countries, SW_HIDE);
  SendTo(countries, CB_RESETCONTENT);
  int selection = 0;
  CheckHr(GetDriverIntf()->put_CurrencyIndex(0), "CurrencyIndex");
  LONG count = 0;
  CheckHr(GetDriverIntf()->get_CountryCount(&count), "CountryCount");
  for (LONG i = 0; i < count; ++i) {
    CheckHr(GetDriverIntf()->put_CountryIndex(i), "CountryIndex");
    VARIANT_BOOL ok = VARIANT_FALSE;
    CheckHr(GetDriverIntf()->GetCountryParams(&ok), "GetCountryParams");
    if (!ok) continue;
    TBstr currency, country;
    CheckHr(GetDriverIntf()->get_CurrencyName(currency.Out()), "CurrencyName");
    CheckHr(GetDriverIntf()->get_CountryName(country.Out()), "CountryName");
    const std::wstring line = BstrToWide(currency.Get()) + L" - " + BstrToWide(country.Get());
    SendTo(countries, CB_INSERTSTRING, static_cast<WPARAM>(-1),
           reinterpret_cast<LPARAM>(line.c_str()));
    LONG code = 0, current = 0;
    CheckHr(GetDriverIntf()->get_CountryCode(&code), "CountryCode");
    CheckHr(GetDriverIntf()->get_CurrentCountryCode(&current), "CurrentCountryCode");
    if (code == current) selection = static_cast<int>(i);
  }
  SendTo(countries, CB_SETCURSEL, static_cast<WPARAM>(selection));
  ShowWindow(countries, SW_SHOW);
}

void TfmPage::UpdateObject() {
  const auto selection = [this](int id) { return static_cast<int>(SendTo(Item(id), CB_GETCURSEL)); };
  CheckHr(GetDriverIntf()->put_BaudRate(IndexToBaudRate(selection(idCbBaudRate))), "BaudRate");
  CheckHr(GetDriverIntf()->put_PortNumber(selection(idCbPortNumber) + 1), "PortNumber");
  CheckHr(GetDriverIntf()->put_CountryIndex(selection(idCbCountryCode)), "CountryIndex");
  // The flags of these two are not examined: a failed country choice or
  // settings file leaves its result code in the control.
  VARIANT_BOOL ignored = VARIANT_FALSE;
  CheckHr(GetDriverIntf()->CountryByIndex(&ignored), "CountryByIndex");
  CheckHr(GetDriverIntf()->SaveParams(&ignored), "SaveParams");
}

HRESULT CreatePropertyPage(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  TfmPage* page = new (std::nothrow) TfmPage();
  if (!page) return E_OUTOFMEMORY;
  const HRESULT hr = page->QueryInterface(iid, out);
  page->Release();
  return hr;
}

}  // namespace notarel
