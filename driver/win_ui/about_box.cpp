// TfmAbout: the about box. A drawn emblem, the product title, the version
// list, the maker's contact details with two links, and an OK button; built
// on an empty in-memory template of the system's dialog class, so that it
// needs no resources of the module it is linked into.
#include "about_box.h"

#include <shellapi.h>

#include <cstring>

#include "win_ui.h"

namespace notarel {

namespace {

enum : int {
  idEmblem = 200,
  idName,
  idVersions,
  idMaker,
  idWebLabel,
  idWebLink,
  idMailLabel,
  idMailLink,
  idBevel,
};

const wchar_t kCaption[] = L"О программе";
// The blue of links in the system's own dialogs.
constexpr COLORREF kLinkColour = RGB(0, 102, 204);
const wchar_t kMaker[] = L"Notarel: драйвер и программа проверки купюроприемника RUD-003";
const wchar_t kWebText[] = L"www.notarel.example";
const wchar_t kWebTarget[] = L"https://www.notarel.example/";
const wchar_t kMailText[] = L"support@notarel.example";
const wchar_t kMailTarget[] = L"mailto:support@notarel.example";

void ShellOpen(const std::wstring& target) {
  ShellExecuteW(GetDesktopWindow(), L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LinkOpener g_opener = &ShellOpen;

HFONT VariantOfDialogFont(bool bold, bool underline) {
  LOGFONTW font{};
  GetObjectW(ui::DialogFont(), sizeof(font), &font);
  if (bold) font.lfWeight = FW_BOLD;
  font.lfUnderline = underline ? TRUE : FALSE;
  return CreateFontIndirectW(&font);
}

// A banknote with the product's initial, drawn to fit `rect`.
void DrawEmblem(HDC dc, const RECT& rect) {
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  RECT note{rect.left + 2, rect.top + h / 4, rect.right - 2, rect.bottom - h / 4};
  HBRUSH paper = CreateSolidBrush(RGB(120, 180, 120));
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(30, 90, 30));
  HGDIOBJ oldBrush = SelectObject(dc, paper);
  HGDIOBJ oldPen = SelectObject(dc, edge);
  RoundRect(dc, note.left, note.top, note.right, note.bottom, w / 8, w / 8);
  HBRUSH seal = CreateSolidBrush(RGB(230, 240, 220));
  SelectObject(dc, seal);
  const int r = (note.bottom - note.top) * 3 / 8;
  const int cx = (note.left + note.right) / 2;
  const int cy = (note.top + note.bottom) / 2;
  Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(30, 90, 30));
  HFONT bold = VariantOfDialogFont(true, false);
  HGDIOBJ oldFont = SelectObject(dc, bold);
  RECT letter{cx - r, cy - r, cx + r, cy + r};
  DrawTextW(dc, L"N", 1, &letter, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(bold);
  DeleteObject(seal);
  DeleteObject(edge);
  DeleteObject(paper);
}

class TfmAbout : public ui::TDialogForm {
 public:
  TfmAbout() = default;
  TfmAbout(const TfmAbout&) = delete;
  TfmAbout& operator=(const TfmAbout&) = delete;
  ~TfmAbout() override {
    if (FHandle) DestroyWindow(FHandle);
    if (FBoldFont) DeleteObject(FBoldFont);
    if (FLinkFont) DeleteObject(FLinkFont);
  }

  bool Create() { return CreateDialogWindow(); }

  void Show(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines) {
    SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    ui::SetText(GetDlgItem(FHandle, idName), title);
    HWND versions = GetDlgItem(FHandle, idVersions);
    for (const std::wstring& line : lines) {
      SendMessageW(versions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    // A child window as owner stands for the window it sits in.
    HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    ui::CenterWindow(FHandle, root);
    ui::RunModal(FHandle, root, FDone, FResult);
  }

 private:
  void CreateComponents() override;
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool IsLink(HWND wnd) const { return wnd && (wnd == FWebLink || wnd == FMailLink); }

  HWND FWebLink = nullptr;
  HWND FMailLink = nullptr;
  HFONT FBoldFont = nullptr;
  HFONT FLinkFont = nullptr;
  bool FDone = false;
  int FResult = IDCANCEL;
};

void TfmAbout::CreateComponents() {
  ui::SetText(FHandle, kCaption);
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(ui::DialogFont()), FALSE);
  ui::SetClientSize(FHandle, 380, 238);
  FBoldFont = VariantOfDialogFont(true, false);
  FLinkFont = VariantOfDialogFont(false, true);
  ui::CreateControl(FHandle, L"STATIC", L"", SS_OWNERDRAW, 12, 16, 64, 64, idEmblem);
  HWND name = ui::CreateControl(FHandle, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 88, 16, 280, 20,
                                idName);
  SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont), FALSE);
  ui::CreateControl(FHandle, L"LISTBOX", nullptr, LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                    88, 42, 280, 64, idVersions, WS_EX_CLIENTEDGE);
  ui::CreateControl(FHandle, L"STATIC", kMaker, SS_LEFT | SS_NOPREFIX, 88, 116, 280, 32, idMaker);
  ui::CreateControl(FHandle, L"STATIC", L"Веб-сайт:", SS_LEFT, 88, 154, 80, 16, idWebLabel);
  FWebLink = ui::CreateControl(FHandle, L"STATIC", kWebText, SS_LEFT | SS_NOTIFY | SS_NOPREFIX,
                               172, 154, 196, 16, idWebLink);
  ui::CreateControl(FHandle, L"STATIC", L"Поддержка:", SS_LEFT, 88, 174, 80, 16, idMailLabel);
  FMailLink = ui::CreateControl(FHandle, L"STATIC", kMailText, SS_LEFT | SS_NOTIFY | SS_NOPREFIX,
                                172, 174, 196, 16, idMailLink);
  SendMessageW(FWebLink, WM_SETFONT, reinterpret_cast<WPARAM>(FLinkFont), FALSE);
  SendMessageW(FMailLink, WM_SETFONT, reinterpret_cast<WPARAM>(FLinkFont), FALSE);
  ui::CreateControl(FHandle, L"STATIC", L"", SS_ETCHEDHORZ, 8, 198, 364, 2, idBevel);
  HWND ok = ui::CreateControl(FHandle, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 292, 206,
                              80, 25, IDOK);
  SetFocus(ok);
}

INT_PTR TfmAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        FResult = LOWORD(wParam);
        FDone = true;
      } else if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == idWebLink) {
        g_opener(kWebTarget);
      } else if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == idMailLink) {
        g_opener(kMailTarget);
      }
      return TRUE;
    case WM_CLOSE:
      FResult = IDCANCEL;
      FDone = true;
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (!IsLink(reinterpret_cast<HWND>(lParam))) return FALSE;
      SetTextColor(reinterpret_cast<HDC>(wParam), kLinkColour);
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SETCURSOR:
      if (!IsLink(reinterpret_cast<HWND>(wParam))) return FALSE;
      // IDC_HAND, in its wide form.
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
      SetWindowLongPtrW(FHandle, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!item || item->CtlID != idEmblem) return FALSE;
      DrawEmblem(item->hDC, item->rcItem);
      return TRUE;
    }
    case WM_DESTROY:
      ui::DetachWindow(FHandle);
      FHandle = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines) {
  TfmAbout form;
  if (!form.Create()) return;
  form.Show(owner, title, lines);
}

LinkOpener SetAboutLinkOpener(LinkOpener opener) {
  LinkOpener before = g_opener;
  g_opener = opener ? opener : &ShellOpen;
  return before;
}

}  // namespace notarel
