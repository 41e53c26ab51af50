// The handlers of TfmPage's buttons and its result box. A failing member
// call ends the handler; the buttons are enabled again on every path, and
// then the error is shown to the user.
#include "find_dialog.h"
#include "member_guard.h"
#include "property_page.h"
#include "text_convert.h"
#include "win_ui.h"

namespace notarel {
namespace {

const int kButtons[] = {idBtnConnect, idBtnFind, idBtnSetDefaults, idBtnAbout};

}  // namespace

TfmPage::TPageError TfmPage::RunHandler(const std::function<void()>& handler) {
  TPageError error;
  try {
    handler();
  } catch (const TComError& failure) {
    error.Result = failure.Result();
    // The message takes the record the failing call posted; a copy is kept.
    GetErrorInfo(0, error.Record.Out());
    if (error.Record) SetErrorInfo(0, error.Record.Get());
    error.Message = ComErrorMessage(failure.Result(), failure.what());
  } catch (const std::exception& failure) {
    error.Result = E_UNEXPECTED;
    error.Message = ComErrorMessage(E_UNEXPECTED, failure.what());
  }
  return error;
}

void TfmPage::ShowError(const TPageError& error) {
  if (SUCCEEDED(error.Result)) return;
  const HWND owner = FWindow ? GetAncestor(FWindow, GA_ROOT) : GetActiveWindow();
  MessageBoxW(owner, error.Message.c_str(), kPageCaption, MB_OK | MB_ICONERROR);
}

HRESULT TfmPage::ApplyOnce() {
  const TPageError error = RunHandler([this] { UpdateObject(); });
  ShowError(error);
  if (error.Record) SetErrorInfo(0, error.Record.Get());
  return error.Result;
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
  const TPageError error = RunHandler([this] {
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
  ShowError(error);
}

void TfmPage::btnFindClick() {
  EnableButtons(false);
  const TPageError error = RunHandler([this] {
    // Window handles are 32-bit values on every Windows.
    const LONG self = static_cast<LONG>(reinterpret_cast<LONG_PTR>(FWindow));
    CheckHr(GetDriverIntf()->put_ParentWnd(self), "ParentWnd");
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->ShowFindDlg(&ignored), "ShowFindDlg");
    // The page may have been closed while the dialog ran.
    if (FWindow) UpdatePropertyPage();
  });
  if (FWindow) EnableButtons(true);
  ShowError(error);
}

void TfmPage::btnSetDefaultsClick() {
  ShowError(RunHandler([this] {
    LONG ignored = 0;
    CheckHr(GetDriverIntf()->SetDefaults(&ignored), "SetDefaults");
    UpdatePropertyPage();
  }));
}

void TfmPage::btnAboutClick() {
  ShowError(RunHandler([this] { CheckHr(GetDriverIntf()->AboutBox(), "AboutBox"); }));
}

void TfmPage::PropertyPagePaint() {
  InvalidateRect(Item(idCbBaudRate), nullptr, TRUE);
  InvalidateRect(Item(idCbPortNumber), nullptr, TRUE);
}

}  // namespace notarel
