// The handlers of TfmPage's buttons and its result box. A failing member
// call ends the handler; its error is shown to the user, and the buttons are
// enabled again on every path.
#include "find_dialog.h"
#include "member_guard.h"
#include "property_page.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {
namespace {

const int kButtons[] = {idBtnConnect, idBtnFind, idBtnSetDefaults, idBtnAbout};

}  // namespace

void TfmPage::ShowError(HRESULT hr, const std::string& what) {
  const std::wstring text = ComErrorMessage(hr, what);
  const HWND owner = FWindow ? GetAncestor(FWindow, GA_ROOT) : GetActiveWindow();
  MessageBoxW(owner, text.c_str(), kPageCaption, MB_OK | MB_ICONERROR);
}

bool TfmPage::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const TComError& error) {
    ShowError(error.Result(), error.what());
  } catch (const std::exception& error) {
    ShowError(E_UNEXPECTED, error.what());
  }
  return false;
}

void TfmPage::EnableButtons(bool on) {
  for (int id : kButtons) EnableWindow(Item(id), on ? TRUE : FALSE);
}

void TfmPage::ShowResult() {
  LONG code = 0;
  CheckHr(GetDriverIntf()->get_ResultCode(&code), "ResultCode");
  TBstr description;
  CheckHr(GetDriverIntf()->get_ResultDescription(description.Out()), "ResultDescription");
  const std::wstring message = BstrToWide(description.Get());
  ui::SetText(Item(idEdtResult), ui::Format(L"(%d) %ls", static_cast<int>(code), message.c_str()));
}

void TfmPage::btnConnectClick() {
  EnableButtons(false);
  RunHandler([this] {
    UpdateObject();
    VARIANT_BOOL ok = VARIANT_FALSE;
    CheckHr(GetDriverIntf()->ReadModelID(&ok), "ReadModelID");
    if (ok) {
      TBstr model;
      CheckHr(GetDriverIntf()->get_ModelID(model.Out()), "ModelID");
      ui::SetText(Item(idEdtResult), BstrToWide(model.Get()));
    } else {
      ShowResult();
    }
  });
  EnableButtons(true);
}

void TfmPage::btnFindClick() {
  EnableButtons(false);
  RunHandler([this] {
    // Window handles are 32-bit values on every Windows.
    const LONG self = static_cast<LONG>(reinterpret_cast<LONG_PTR>(FWindow));
    CheckHr(GetDriverIntf()->put_ParentWnd(self), "ParentWnd");
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->ShowFindDlg(&ignored), "ShowFindDlg");
    // The page may have been closed while the dialog ran.
    if (FWindow) UpdatePropertyPage();
  });
  if (FWindow) EnableButtons(true);
}

void TfmPage::btnSetDefaultsClick() {
  RunHandler([this] {
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->SetDefaults(&ignored), "SetDefaults");
    UpdatePropertyPage();
  });
}

void TfmPage::btnAboutClick() {
  RunHandler([this] { CheckHr(GetDriverIntf()->AboutBox(), "AboutBox"); });
}

void TfmPage::PropertyPagePaint() {
  InvalidateRect(Item(idCbBaudRate), nullptr, TRUE);
  InvalidateRect(Item(idCbPortNumber), nullptr, TRUE);
}

}  // namespace notarel
