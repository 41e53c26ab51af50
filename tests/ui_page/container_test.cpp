// The control in a container that is not ours: the system's ATL host window
// ("AtlAxWin") creates it by ProgID, activates it in place and gives it back
// through AtlAxGetControl, as dialog editors and simple hosts do.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "Notarel_h.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

TEST(AtlContainer, HostsTheControlInPlaceAndHandsItBack) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  const auto init = reinterpret_cast<AtlAxWinInitFn>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  const auto getControl = reinterpret_cast<AtlAxGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(init && getControl);
  ASSERT_TRUE(init());

  HWND host = CreateWindowExW(0, L"AtlAxWin", L"RUDLib.Notarel2", WS_POPUP | WS_VISIBLE, 100, 100,
                              200, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  IUnknown* hosted = nullptr;
  ASSERT_EQ(getControl(host, &hosted), S_OK);
  ASSERT_NE(hosted, nullptr);

  IWBA003_4* control = nullptr;
  ASSERT_EQ(hosted->QueryInterface(IID_IWBA003_4, reinterpret_cast<void**>(&control)), S_OK);
  BSTR version = nullptr;
  EXPECT_EQ(control->get_FileVersion(&version), S_OK);
  EXPECT_STREQ(version ? version : L"", L"2.7.0.39");
  SysFreeString(version);

  // Activated in place: the control's own window sits inside the host.
  IOleInPlaceObject* inPlace = nullptr;
  ASSERT_EQ(hosted->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
  HWND window = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), host);
  EXPECT_EQ(uiprobe::ClassOf(window), L"TAxCtrl");
  EXPECT_TRUE(IsWindowVisible(window));
  inPlace->Release();

  // The host ends the control with its window; our references keep the
  // object until they go, and the control's window goes with the host.
  DestroyWindow(host);
  EXPECT_FALSE(IsWindow(window));
  control->Release();
  hosted->Release();
}

}  // namespace
}  // namespace notarel::test
