#include "ui_find_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "ui_probe.h"

namespace notarel::test {
namespace {

// The tests call the control from this thread, a single-threaded apartment,
// as its clients do.
class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
  }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

constexpr int kWindowTimeoutMs = 20000;

std::wstring ProgramDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

BOOL CALLBACK CloseThreadWindow(HWND wnd, LPARAM) {
  if (IsWindowVisible(wnd)) {
    PostMessageW(wnd, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(wnd, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

std::wstring ScreenshotPath(const std::wstring& name) {
  if (const wchar_t* dir = _wgetenv(L"NOTAREL_SCREENSHOTS")) {
    return std::wstring(dir) + L"\\" + name;
  }
  // The program lives in <build>\tests\ui_find.
  return ProgramDir() + L"..\\..\\screenshots\\" + name;
}

bool Screenshot(HWND topLevel, const std::wstring& name) {
  MSG peek;
  for (int i = 0; i < 3; ++i) {
    PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE);
    Sleep(100);
  }
  return uiprobe::SaveScreenshot(topLevel, ScreenshotPath(name));
}

void WithUser(const std::function<void()>& call, const std::function<void()>& user) {
  const DWORD caller = GetCurrentThreadId();
  std::atomic<bool> returned{false};
  std::thread helper([&] {
    user();
    while (!returned) {
      EnumThreadWindows(caller, CloseThreadWindow, 0);
      Sleep(250);
    }
  });
  call();
  returned = true;
  helper.join();
}

bool Responds(HWND wnd, UINT ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) != 0;
}

TFindWindows TFindWindows::Wait() {
  TFindWindows w;
  w.Dialog = uiprobe::WaitForWindow(L"Поиск оборудования", nullptr, 0, kWindowTimeoutMs);
  EXPECT_NE(w.Dialog, nullptr) << "no search dialog";
  if (!w.Dialog) return w;
  w.BaudRate = uiprobe::FindChild(w.Dialog, L"ComboBox", nullptr);
  w.Start = uiprobe::FindChild(w.Dialog, L"Button", L"Начать поиск");
  w.Stop = uiprobe::FindChild(w.Dialog, L"Button", L"Прервать");
  w.Close = uiprobe::FindChild(w.Dialog, L"Button", L"Закрыть");
  w.List = uiprobe::FindChild(w.Dialog, WC_LISTVIEWW, nullptr);
  w.Animate = uiprobe::FindChild(w.Dialog, ANIMATE_CLASSW, nullptr);
  if (!w.Animate) {
    // Where the system has no search clip, a drawn picture stands in.
    for (HWND wnd : uiprobe::Children(w.Dialog, L"Static")) {
      if ((GetWindowLongW(wnd, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW) w.Animate = wnd;
    }
  }
  EXPECT_TRUE(w.BaudRate && w.Start && w.Stop && w.Close && w.List && w.Animate)
      << "a component of the search dialog is missing";
  return w;
}

std::vector<std::wstring> TFindWindows::Ports() const { return uiprobe::ListViewRows(List, 0); }
std::vector<std::wstring> TFindWindows::Results() const { return uiprobe::ListViewRows(List, 1); }

bool TFindWindows::WaitSearchEnd(int timeoutMs) const {
  return uiprobe::WaitUntil([&] {
    if (!uiprobe::IsEnabled(Start) || uiprobe::IsEnabled(Stop)) return false;
    const auto results = Results();
    if (results.empty()) return false;
    for (const auto& text : results) {
      if (text == L"идет поиск...") return false;
    }
    return true;
  }, timeoutMs);
}

void TFindWindows::SelectRow(int row) const {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(List, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void TFindWindows::DoubleClickRow(int row) const {
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  SendMessageW(List, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SelectRow(row);
  PostMessageW(List, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(List, WM_LBUTTONUP, 0, at);
}

void ControlTest::SetUp() {
  peer_ = EmulatorPeer::Start();
  ASSERT_TRUE(peer_);
  if (const char* com = std::getenv("NOTAREL_EMU_COM")) emulatorPort_ = std::atoi(com);
  const HRESULT hr = CoCreateInstance(CLSID_Notarel2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWBA003_4, control_.OutVoid());
  ASSERT_EQ(hr, S_OK) << "CoCreateInstance of Notarel2 (is Notarel.dll registered?)";
}

LONG ControlTest::Long(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(LONG*)) {
  LONG value = -12345;
  EXPECT_EQ((control_.Get()->*get)(&value), S_OK);
  return value;
}

std::wstring ControlTest::Text(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(BSTR*)) {
  BSTR value = nullptr;
  EXPECT_EQ((control_.Get()->*get)(&value), S_OK);
  std::wstring text(value ? value : L"", value ? SysStringLen(value) : 0);
  SysFreeString(value);
  return text;
}

void ControlTest::Emulator(const std::string& line) {
  const std::string reply = peer_->Command(line);
  EXPECT_EQ(reply.rfind("OK", 0), 0u) << line << " -> " << reply;
}

}  // namespace notarel::test
