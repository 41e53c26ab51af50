#include "page_fixture.h"

#include <olectl.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <thread>

#include "text_convert.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

// {E27B2F22-5587-46AA-AAD5-C17CB3B0BEE6}: the page class as registered.
const CLSID kPageClsid = {0xE27B2F22, 0x5587, 0x46AA,
                          {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};
constexpr int kWaitMs = 20000;

// The tests call the control from this thread, a single-threaded apartment.
class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr)); }
  void TearDown() override { OleUninitialize(); }
};
const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

std::wstring ExeDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

PageWindows FindPageWindows(HWND frame) {
  PageWindows w;
  w.Frame = frame;
  uiprobe::WaitUntil([&] { return (w.Page = uiprobe::FindChild(frame, L"TfmPage", nullptr)); },
                     kWaitMs);
  if (!w.Page) return w;
  w.BtnConnect = uiprobe::FindChild(w.Page, L"Button", L"Проверка связи");
  w.BtnFind = uiprobe::FindChild(w.Page, L"Button", L"Поиск оборудования...");
  w.BtnSetDefaults = uiprobe::FindChild(w.Page, L"Button", L"По умолчанию");
  w.BtnAbout = uiprobe::FindChild(w.Page, L"Button", L"О драйвере...");
  const std::vector<HWND> combos = uiprobe::Children(w.Page, L"ComboBox");
  if (combos.size() == 3) {
    w.CbPortNumber = combos[0];
    w.CbBaudRate = combos[1];
    w.CbCountryCode = combos[2];
  }
  w.EdtResult = uiprobe::FindChild(w.Page, L"Edit", nullptr);
  return w;
}

bool Complete(const PageWindows& w) {
  for (HWND wnd : {w.Page, w.BtnConnect, w.BtnFind, w.BtnSetDefaults, w.BtnAbout, w.CbPortNumber,
                   w.CbBaudRate, w.CbCountryCode, w.EdtResult}) {
    if (!wnd) return false;
  }
  return true;
}

struct TOther {
  HWND except;
  HWND found;
};

BOOL CALLBACK FindOther(HWND wnd, LPARAM param) {
  auto* other = reinterpret_cast<TOther*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != GetCurrentProcessId() || wnd == other->except || !IsWindowVisible(wnd)) return TRUE;
  other->found = wnd;
  return FALSE;
}

}  // namespace

std::wstring SelectedText(HWND combo) {
  const int index = uiprobe::Selection(combo);
  const std::vector<std::wstring> items = uiprobe::ListItems(combo);
  return index >= 0 && static_cast<size_t>(index) < items.size() ? items[index] : std::wstring();
}

int Scaled(int px) {
  const HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return MulDiv(px, dpi, 96);
}

RECT RectInParent(HWND wnd) {
  RECT rect;
  GetWindowRect(wnd, &rect);
  MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND WaitForOtherWindow(HWND frame, int timeoutMs) {
  TOther other{frame, nullptr};
  uiprobe::WaitUntil(
      [&] {
        other.found = nullptr;
        EnumWindows(&FindOther, reinterpret_cast<LPARAM>(&other));
        return other.found != nullptr;
      },
      timeoutMs);
  return other.found;
}

void ExpectErrorBox(const PageWindows& w, const std::wstring& text) {
  const HWND box = WaitForOtherWindow(w.Frame, kWaitMs);
  ASSERT_NE(box, nullptr) << "no message shown";
  bool shown = false;
  for (HWND wnd : uiprobe::Children(box, L"Static")) {
    shown = shown || uiprobe::Text(wnd).find(text) != std::wstring::npos;
  }
  EXPECT_TRUE(shown) << "the message box shows another text";
  uiprobe::Close(box);
  EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
}

void Flush(const PageWindows& w) {
  // A marker posted behind the earlier messages: once the result box holds
  // the new limit, everything queued before it has been handled.
  static unsigned marker = 30000;
  const unsigned limit = ++marker;
  PostMessageW(w.EdtResult, EM_SETLIMITTEXT, limit, 0);
  EXPECT_TRUE(uiprobe::WaitUntil(
      [&] { return static_cast<unsigned>(SendMessageW(w.EdtResult, EM_GETLIMITTEXT, 0, 0)) == limit; },
      20000));
}

HWND FrameOk(const PageWindows& w) { return GetDlgItem(w.Frame, IDOK); }

std::wstring ScreenshotPath(const std::wstring& name) {
  const wchar_t* folder = _wgetenv(L"NOTAREL_SCREENSHOTS");
  const std::wstring dir = folder && *folder ? std::wstring(folder) + L"\\"
                                             : ExeDir() + L"..\\..\\screenshots\\";
  return dir + name;
}

void PropertyPageTest::SetUp() {
  emulator_ = EmulatorPeer::Start();
  ASSERT_NE(emulator_, nullptr);
  const char* com = std::getenv("NOTAREL_EMU_COM");
  if (com && *com) emulatorPort_ = std::atol(com);
  DeleteFileW((ExeDir() + L"Notarel.xml").c_str());
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_Notarel2, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWBA003_4, control_.OutVoid()));
  ASSERT_HRESULT_SUCCEEDED(control_->put_PortNumber(emulatorPort_));
}

void PropertyPageTest::TearDown() {
  if (control_) {
    VARIANT_BOOL ignored;
    control_->ClosePort(&ignored);
  }
  control_.Reset();
  DeleteFileW((ExeDir() + L"Notarel.xml").c_str());
}

HRESULT PropertyPageTest::RunFrame(const std::function<HRESULT()>& open,
                                   const std::function<void(const PageWindows&)>& user) {
  std::atomic<bool> opened{false};
  std::thread driver([&] {
    HWND frame = uiprobe::WaitForWindow(nullptr, L"#32770", 0, kWaitMs);
    if (!frame) {
      ADD_FAILURE() << "no property frame appeared";
      return;
    }
    opened = true;
    const PageWindows w = FindPageWindows(frame);
    if (Complete(w)) {
      user(w);
    } else {
      ADD_FAILURE() << "the frame shows no complete property page";
    }
    if (IsWindow(frame)) uiprobe::Close(frame);
    EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(frame); }, kWaitMs))
        << "the frame did not close";
  });
  const HRESULT hr = open();
  driver.join();
  EXPECT_TRUE(opened.load());
  return hr;
}

void PropertyPageTest::ShowProperties(const std::function<void(const PageWindows&)>& user) {
  LONG value = -1;
  const HRESULT hr = RunFrame([&] { return control_->ShowProperties(&value); }, user);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(value, 0);
}

HRESULT PropertyPageTest::OpenFrameFor(IUnknown* object) {
  CLSID page = kPageClsid;
  return OleCreatePropertyFrame(GetActiveWindow(), 16, 16, nullptr, 1, &object, 1, &page,
                                GetSystemDefaultLCID(), 0, nullptr);
}

LONG PropertyPageTest::ReadPort() {
  LONG value = 0;
  EXPECT_HRESULT_SUCCEEDED(control_->get_PortNumber(&value));
  return value;
}

LONG PropertyPageTest::ReadBaud() {
  LONG value = 0;
  EXPECT_HRESULT_SUCCEEDED(control_->get_BaudRate(&value));
  return value;
}

std::wstring PropertyPageTest::SettingsFile() {
  TBstr name;
  EXPECT_HRESULT_SUCCEEDED(control_->get_FileName(name.Out()));
  return name.Get() ? std::wstring(name.Get()) : std::wstring();
}

std::string PropertyPageTest::SettingsText() {
  std::string text;
  FILE* file = _wfopen(SettingsFile().c_str(), L"rb");
  if (!file) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  fclose(file);
  return text;
}

}  // namespace notarel::test
