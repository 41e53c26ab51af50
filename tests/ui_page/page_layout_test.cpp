// What the page shows when it opens: its components, their geometry and tab
// order, and the port and rate of the control it edits.
#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>

#include "page_fixture.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

const wchar_t kCaption[] = L"Купюроприемник";
constexpr int kWaitMs = 20000;

std::wstring TabTitle(HWND frame) {
  HWND tabs = uiprobe::FindChild(frame, L"SysTabControl32", nullptr);
  if (!tabs) return std::wstring();
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

void ExpectGeometry(HWND wnd, int x, int y, int w, int h) {
  const RECT r = RectInParent(wnd);
  EXPECT_EQ(r.left, Scaled(x)) << uiprobe::Text(wnd);
  EXPECT_EQ(r.top, Scaled(y)) << uiprobe::Text(wnd);
  EXPECT_EQ(r.right - r.left, Scaled(w)) << uiprobe::Text(wnd);
  if (h > 0) {
    EXPECT_EQ(r.bottom - r.top, Scaled(h)) << uiprobe::Text(wnd);
  }
}

std::vector<HWND> TabStops(HWND page) {
  std::vector<HWND> stops;
  for (HWND wnd : uiprobe::Children(page, nullptr)) {
    if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_TABSTOP) stops.push_back(wnd);
  }
  return stops;
}

TEST_F(PropertyPageTest, LoadsPortAndRateOfTheControlIntoEveryComponent) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(3));
  ASSERT_HRESULT_SUCCEEDED(control_->put_BaudRate(19200));
  ShowProperties([&](const PageWindows& w) {
    EXPECT_EQ(TabTitle(w.Frame), kCaption);
    EXPECT_EQ(SelectedText(w.CbPortNumber), L"COM 3");
    EXPECT_EQ(SelectedText(w.CbBaudRate), L"19200");

    // Only the ports the control stores are offered.
    const std::vector<std::wstring> ports = uiprobe::ListItems(w.CbPortNumber);
    ASSERT_EQ(ports.size(), 32u);
    EXPECT_EQ(ports.front(), L"COM 1");
    EXPECT_EQ(ports[9], L"COM 10");
    EXPECT_EQ(ports.back(), L"COM 32");
    EXPECT_EQ(uiprobe::ListItems(w.CbBaudRate), (std::vector<std::wstring>{L"9600", L"19200"}));
    const std::vector<std::wstring> countries = uiprobe::ListItems(w.CbCountryCode);
    ASSERT_FALSE(countries.empty());
    EXPECT_GE(uiprobe::Selection(w.CbCountryCode), 0);
    for (const std::wstring& line : countries) EXPECT_NE(line.find(L" - "), std::wstring::npos) << line;
    // The control's Russian texts, as they read on every system.
    EXPECT_EQ(countries.front(), L"RUB - Россия");
    EXPECT_TRUE(uiprobe::IsVisible(w.CbCountryCode));

    for (const wchar_t* label : {L"Номер порта:", L"Скорость:", L"Код страны:", L"Результат:"}) {
      EXPECT_NE(uiprobe::FindChild(w.Page, L"Static", label), nullptr) << label;
    }
    const LONG_PTR editStyle = GetWindowLongPtrW(w.EdtResult, GWL_STYLE);
    EXPECT_TRUE(editStyle & ES_READONLY);
    EXPECT_EQ(uiprobe::Text(w.EdtResult), L"");
    EXPECT_EQ(TabStops(w.Page),
              (std::vector<HWND>{w.BtnConnect, w.BtnFind, w.CbPortNumber, w.CbBaudRate,
                                 w.CbCountryCode, w.BtnSetDefaults, w.BtnAbout}));

    ExpectGeometry(w.BtnConnect, 352, 8, 137, 33);
    ExpectGeometry(w.BtnFind, 352, 48, 137, 33);
    ExpectGeometry(w.BtnSetDefaults, 352, 88, 137, 33);
    ExpectGeometry(w.BtnAbout, 352, 128, 137, 33);
    ExpectGeometry(w.CbPortNumber, 208, 24, 129, 0);
    ExpectGeometry(w.CbBaudRate, 208, 56, 129, 0);
    ExpectGeometry(w.CbCountryCode, 208, 88, 129, 0);
    // The result box keeps its distance to the page's bottom and right edges.
    RECT page;
    GetClientRect(w.Page, &page);
    const RECT edit = RectInParent(w.EdtResult);
    EXPECT_EQ(edit.left, Scaled(184));
    EXPECT_EQ(page.bottom - edit.bottom, Scaled(250 - 213));
    EXPECT_EQ(page.right - edit.right, Scaled(502 - 489));

    // The whole page shows inside the frame, above the frame's buttons.
    RECT pageOnScreen, host, ok;
    GetWindowRect(w.Page, &pageOnScreen);
    GetWindowRect(GetParent(w.Page), &host);
    GetWindowRect(FrameOk(w), &ok);
    EXPECT_LE(pageOnScreen.bottom, host.bottom);
    EXPECT_LE(pageOnScreen.right, host.right);
    EXPECT_LE(pageOnScreen.bottom, ok.top);
    EXPECT_EQ(page.right, Scaled(502));
    EXPECT_EQ(page.bottom, Scaled(250));

    EXPECT_TRUE(uiprobe::SaveScreenshot(w.Frame, ScreenshotPath(L"property_page.png")));
  });
  // Closed without applying: the control keeps its settings and no file is written.
  EXPECT_EQ(ReadPort(), 3);
  EXPECT_EQ(ReadBaud(), 19200);
  EXPECT_EQ(SettingsText(), "");
}

// The colour on the screen at a point of the page given in design pixels.
COLORREF ScreenPixel(HWND page, int x, int y) {
  POINT point{Scaled(x), Scaled(y)};
  ClientToScreen(page, &point);
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST_F(PropertyPageTest, InsideTheSettingsBevelShowsThePageColour) {
  ShowProperties([&](const PageWindows& w) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Open ground inside the bevel's corners and middle, and the ends of the
    // three labels beyond their text.
    const POINT inside[] = {{124, 12}, {124, 180}, {200, 150}, {340, 12},
                            {340, 180}, {204, 40}, {204, 72}, {204, 104}};
    const auto allFace = [&] {
      for (const POINT& p : inside) {
        if (ScreenPixel(w.Page, p.x, p.y) != face) return false;
      }
      return true;
    };
    // Painting reaches the screen in its own time.
    uiprobe::WaitUntil(allFace, kWaitMs);
    for (const POINT& p : inside) {
      EXPECT_EQ(ScreenPixel(w.Page, p.x, p.y), face) << "at " << p.x << ", " << p.y;
    }
    // The bevel itself is drawn: its corners are edge, not ground.
    EXPECT_NE(ScreenPixel(w.Page, 120, 8), face);
    EXPECT_NE(ScreenPixel(w.Page, 344, 184), face);
  });
}

TEST_F(PropertyPageTest, AnyRateOtherThan19200LoadsAs9600) {
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(32));
  ASSERT_HRESULT_SUCCEEDED(control_->put_BaudRate(38400));
  ASSERT_EQ(ReadBaud(), 38400);
  ShowProperties([&](const PageWindows& w) {
    EXPECT_EQ(SelectedText(w.CbPortNumber), L"COM 32");
    EXPECT_EQ(SelectedText(w.CbBaudRate), L"9600");
  });
  // Loading walked the country tables with the first form of the currency name.
  LONG count = 0, index = -1, currency = -1;
  ASSERT_HRESULT_SUCCEEDED(control_->get_CountryCount(&count));
  ASSERT_HRESULT_SUCCEEDED(control_->get_CountryIndex(&index));
  ASSERT_HRESULT_SUCCEEDED(control_->get_CurrencyIndex(&currency));
  EXPECT_GT(count, 0);
  EXPECT_EQ(index, count - 1);
  EXPECT_EQ(currency, 0);
}

TEST_F(PropertyPageTest, PageObjectDescribesItselfAndIsNeverDirty) {
  const CLSID page = {0xE27B2F22, 0x5587, 0x46AA, {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};
  TComPtr<IPropertyPage> object;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                            object.OutVoid()));
  PROPPAGEINFO info{};
  ASSERT_HRESULT_SUCCEEDED(object->GetPageInfo(&info));
  EXPECT_STREQ(info.pszTitle, kCaption);
  EXPECT_EQ(info.size.cx, Scaled(502));
  EXPECT_EQ(info.size.cy, Scaled(250));
  CoTaskMemFree(info.pszTitle);
  EXPECT_EQ(object->IsPageDirty(), S_FALSE);

  // Shown in a frame and edited, it still does not report a change: the
  // frame's Apply button stays disabled.
  ShowProperties([&](const PageWindows& w) {
    uiprobe::Select(w.CbPortNumber, 6);
    uiprobe::Select(w.CbBaudRate, 1);
    Flush(w);
    EXPECT_EQ(SelectedText(w.CbPortNumber), L"COM 7");
    const HWND apply = GetDlgItem(w.Frame, 0x3021);
    ASSERT_NE(apply, nullptr);
    EXPECT_FALSE(uiprobe::IsEnabled(apply));
  });
}

}  // namespace
}  // namespace notarel::test
