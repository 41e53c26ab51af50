// The drawn parts of TfmPage: the decorative picture beside the settings and
// the about button with its 16 by 16 glyph.
#include "property_page.h"
#include "win_ui.h"

namespace notarel {
namespace {

// Fills a rectangle given in design pixels relative to `origin`.
void FillDesignRect(HDC dc, POINT origin, int x, int y, int w, int h, COLORREF color) {
  const RECT r{origin.x + ui::Scale(x), origin.y + ui::Scale(y), origin.x + ui::Scale(x + w),
               origin.y + ui::Scale(y + h)};
  const HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

// An acceptor's front with a note entering its slot, drawn on the button face
// so that the picture looks transparent on the page.
void TfmPage::DrawImage(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const POINT o{item.rcItem.left, item.rcItem.top};
  FillDesignRect(dc, o, 14, 40, 72, 100, RGB(64, 64, 72));     // body
  FillDesignRect(dc, o, 18, 44, 64, 92, RGB(96, 96, 108));     // front panel
  FillDesignRect(dc, o, 24, 56, 52, 6, RGB(16, 16, 16));       // slot
  FillDesignRect(dc, o, 30, 6, 40, 54, RGB(120, 170, 110));    // note
  FillDesignRect(dc, o, 34, 10, 32, 46, RGB(150, 200, 140));   // note print
  FillDesignRect(dc, o, 44, 22, 12, 12, RGB(110, 160, 100));   // note seal
  FillDesignRect(dc, o, 24, 56, 52, 3, RGB(16, 16, 16));       // slot edge over the note
  FillDesignRect(dc, o, 46, 110, 8, 8, RGB(40, 200, 60));      // lamp
}

void TfmPage::DrawAboutButton(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (pushed) frame |= DFCS_PUSHED;
  DrawFrameControl(dc, &r, DFC_BUTTON, frame);
  const int shift = pushed ? 1 : 0;

  // The glyph sits at the margin; the caption is centred in the rest.
  const int glyph = ui::Scale(16);
  const int glyphLeft = item.rcItem.left + ui::Scale(20) + shift;
  const int glyphTop = (item.rcItem.top + item.rcItem.bottom - glyph) / 2 + shift;
  const HICON icon = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32516) /* the information icon */, IMAGE_ICON, glyph, glyph, LR_SHARED));
  if (icon) {
    DrawIconEx(dc, glyphLeft, glyphTop, icon, glyph, glyph, 0, nullptr, DI_NORMAL);
  }
  RECT textRect{glyphLeft + glyph + ui::Scale(4), item.rcItem.top + shift,
                item.rcItem.right - ui::Scale(4) + shift, item.rcItem.bottom + shift};
  const std::wstring caption = ui::GetText(item.hwndItem);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const HGDIOBJ oldFont = SelectObject(dc, ui::DialogFont());
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -ui::Scale(4), -ui::Scale(4));
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace notarel
