// In-place activation in a real window of the test: the control's TAxCtrl
// child window, its size, its class style, its repaint on moves, and
// deactivation. Needs a display (the test script runs it under Xvfb).
#include "ax_window.h"
#include "test_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual) {
  if (EqualRect(&expected, &actual)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "rectangle " << actual.left << "," << actual.top << "-" << actual.right
                                       << "," << actual.bottom << ", expected " << expected.left << ","
                                       << expected.top << "-" << expected.right << "," << expected.bottom;
}

class OleControlInPlace : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NotarelOleTestHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    Host = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240,
                           nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, Host);
    Site = std::make_unique<TTestSite>(Host, RECT{10, 20, 50, 60});
    Object = Control->Query<IOleObject>();
    ASSERT_EQ(S_OK, Object->SetClientSite(Site.get()));
  }
  void TearDown() override {
    if (Object) {
      Object->Close(OLECLOSE_NOSAVE);
      Object->SetClientSite(nullptr);
      Object->Release();
    }
    Control->Release();
    if (Host) DestroyWindow(Host);
  }
  HWND ControlWindow() {
    IOleInPlaceObject* inPlace = Control->Query<IOleInPlaceObject>();
    HWND window = nullptr;
    inPlace->GetWindow(&window);
    inPlace->Release();
    return window;
  }
  RECT RectInHost(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, Host, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  TTestControl* Control = new TTestControl();
  HWND Host = nullptr;
  std::unique_ptr<TTestSite> Site;
  IOleObject* Object = nullptr;
};

TEST_F(OleControlInPlace, ActivationCreatesTheTAxCtrlChildAtTheSitesRectangle) {
  EXPECT_EQ(nullptr, ControlWindow());
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  HWND window = ControlWindow();
  ASSERT_NE(nullptr, window);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_EQ(std::wstring(L"TAxCtrl"), className);
  EXPECT_EQ(Host, GetParent(window));
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(window));
  const RECT at = RectInHost(window);
  EXPECT_EQ(10, at.left);
  EXPECT_EQ(20, at.top);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(40, client.right);
  EXPECT_EQ(40, client.bottom);
  // Repaint comes from the move/size handler, not from the class style.
  const auto style = GetClassLongPtrW(window, GCL_STYLE);
  EXPECT_EQ(0, style & (CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(std::vector<std::string>({"OnInPlaceActivate", "ShowObject"}), Site->Calls);

  // Activating again changes nothing; UI activation tells the site.
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  EXPECT_EQ(window, ControlWindow());
  EXPECT_EQ(std::vector<std::string>({"OnInPlaceActivate", "ShowObject", "OnUIActivate"}), Site->Calls);
}

TEST_F(OleControlInPlace, EveryMoveOrResizeInvalidatesTheWholeWindow) {
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  HWND window = ControlWindow();
  IOleInPlaceObject* inPlace = Control->Query<IOleInPlaceObject>();
  RECT clip{0, 0, 320, 240};

  UpdateWindow(window);
  RECT dirty{};
  ASSERT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  const RECT moved{60, 20, 100, 60};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &clip));
  EXPECT_EQ(60, RectInHost(window).left);
  ASSERT_TRUE(GetUpdateRect(window, &dirty, FALSE)) << "a plain move repaints too";
  EXPECT_TRUE(SameRect(RECT{0, 0, 40, 40}, dirty));

  UpdateWindow(window);
  ASSERT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  const RECT larger{60, 20, 160, 80};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&larger, &clip));
  ASSERT_TRUE(GetUpdateRect(window, &dirty, FALSE));
  EXPECT_TRUE(SameRect(RECT{0, 0, 100, 60}, dirty)) << "the whole window, not only the new strip";
  inPlace->Release();
}

TEST_F(OleControlInPlace, TheWindowPaintsTheControlsPicture) {
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  HWND window = ControlWindow();
  UpdateWindow(window);
  HDC dc = GetDC(window);
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, 0, 0));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetPixel(dc, 39, 39));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 12, 12));
  ReleaseDC(window, dc);
}

TEST_F(OleControlInPlace, DeactivationDestroysTheWindowAndCloseSavesWhenDirty) {
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  HWND window = ControlWindow();
  ASSERT_TRUE(IsWindow(window));
  TTestAdviseSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, Object->Advise(&sink, &cookie));
  SIZEL size{900, 900};
  ASSERT_EQ(S_OK, Object->SetExtent(DVASPECT_CONTENT, &size));

  ASSERT_EQ(S_OK, Object->Close(OLECLOSE_SAVEIFDIRTY));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, ControlWindow());
  const std::vector<std::string> expected = {"OnInPlaceActivate", "ShowObject",          "OnUIActivate",
                                             "OnUIDeactivate",    "OnInPlaceDeactivate", "SaveObject"};
  EXPECT_EQ(expected, Site->Calls);
  EXPECT_EQ(1, sink.Closes);
  EXPECT_EQ(S_OK, Object->Unadvise(cookie));

  // The site is let go of with the client site; only the test's reference is left.
  ASSERT_EQ(S_OK, Object->SetClientSite(nullptr));
  EXPECT_EQ(1, Site->References());
}

TEST_F(OleControlInPlace, WindowClassGoesOnlyWhenNoWindowIsLeftAndComesBackOnActivation) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  TAxCtrl::UnregisterWindowClass();
  EXPECT_TRUE(GetClassInfoExW(ControlModule(), L"TAxCtrl", &info)) << "a window of the class is still there";

  IOleInPlaceObject* inPlace = Control->Query<IOleInPlaceObject>();
  ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
  TAxCtrl::UnregisterWindowClass();
  EXPECT_FALSE(GetClassInfoExW(ControlModule(), L"TAxCtrl", &info));

  ASSERT_EQ(S_OK, Object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, Site.get(), 0, Host, nullptr));
  EXPECT_NE(nullptr, ControlWindow());
  EXPECT_TRUE(GetClassInfoExW(ControlModule(), L"TAxCtrl", &info));
  inPlace->Release();
}

}  // namespace
