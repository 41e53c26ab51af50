// A Bill handler that waits for the client's window thread: it sets the text
// of a window that thread owns, which sends the thread a message and waits
// for it to be served. That thread calls the control meanwhile without
// serving messages itself; neither restarting polling nor releasing the
// control may leave the two threads waiting for each other.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation_test.h"
#include "emulator_peer.h"

namespace notarel::test {
namespace {

// Generous bound for a call that must not wait for ever. Reaching it means
// the threads are deadlocked: the test program cannot go on, so it says what
// hung and ends itself.
constexpr DWORD kDeadlockBoundMs = 60000;
constexpr UINT kPostedProbe = WM_APP + 7;

class Watchdog {
 public:
  explicit Watchdog(const char* what) : what_(what), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  ~Watchdog() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static DWORD WINAPI Watch(void* self) {
    const auto* watchdog = static_cast<Watchdog*>(self);
    if (WaitForSingleObject(watchdog->done_, kDeadlockBoundMs) == WAIT_OBJECT_0) return 0;
    std::fprintf(stderr, "\nDEADLOCK: %s did not return within %lu s\n", watchdog->what_,
                 static_cast<unsigned long>(kDeadlockBoundMs / 1000));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 1;
  }
  const char* what_;
  HANDLE done_;
  HANDLE thread_ = nullptr;
};

// The client's window: a plain top-level window of the test's thread that
// counts the posted probes its procedure is given.
class ClientWindow {
 public:
  ClientWindow() {
    static const wchar_t* const kClass = L"NotarelTestClientWindow";
    static const ATOM registered = [] {
      WNDCLASSW type{};
      type.lpfnWndProc = Procedure;
      type.hInstance = GetModuleHandleW(nullptr);
      type.lpszClassName = kClass;
      return RegisterClassW(&type);
    }();
    if (!registered) return;
    handle_ = CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    probesSeen_ = 0;
  }
  ~ClientWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;

  HWND Handle() const { return handle_; }
  std::wstring Text() const {
    wchar_t text[64] = {};
    GetWindowTextW(handle_, text, 64);  // the window is this thread's: nothing is sent
    return text;
  }
  static int ProbesSeen() { return probesSeen_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPostedProbe) ++probesSeen_;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static int probesSeen_;
  HWND handle_ = nullptr;
};

int ClientWindow::probesSeen_ = 0;

// A sink whose Bill handler shows the sum in the client's window and
// returns the bill. Called on the polling thread.
class WindowSink : public IDispatch {
 public:
  explicit WindowSink(HWND window)
      : window_(window),
        started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  virtual ~WindowSink() {
    CloseHandle(started_);
    CloseHandle(finished_);
  }
  WindowSink(const WindowSink&) = delete;
  WindowSink& operator=(const WindowSink&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID_IWBAEvents)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (dispid != 2 || params->cArgs != 2 || params->rgvarg[1].vt != VT_I4) return S_OK;
    const std::wstring text = L"Bill " + std::to_wstring(params->rgvarg[1].lVal);
    SetEvent(started_);
    // Sent to the window's thread; returns once that thread has served it.
    SetWindowTextW(window_, text.c_str());
    SetEvent(finished_);
    return S_OK;
  }

  bool Started(DWORD waitMs) const { return WaitForSingleObject(started_, waitMs) == WAIT_OBJECT_0; }
  bool Finished() const { return WaitForSingleObject(finished_, 0) == WAIT_OBJECT_0; }
  LONG Refs() const { return refs_; }

 private:
  HWND window_;
  HANDLE started_;
  HANDLE finished_;
  LONG refs_ = 1;
};

// Serves this thread's messages, all of them, until the condition holds or a
// generous number of rounds has passed; the caller checks the condition.
template <class Condition>
void ServeMessagesUntil(Condition condition) {
  for (int round = 0; round < 2000 && !condition(); ++round) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

HRESULT CanUnloadServer() {
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllCanUnloadNow")));
  return canUnload ? canUnload() : E_FAIL;
}

class WindowThreadHandler : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.Handle(), nullptr);
    peer_ = EmulatorPeer::Start();
    ASSERT_TRUE(peer_);
    control_ = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control_);
    const char* com = std::getenv("NOTAREL_EMU_COM");
    ASSERT_NE(com, nullptr);
    ASSERT_EQ(control_->put_PortNumber(std::atoi(com)), S_OK);
    // The first built-in country table, where bill code 102 is worth 500.
    ASSERT_EQ(control_->put_CountryIndex(0), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(control_->CountryByIndex(&ok), S_OK);
    ASSERT_EQ(control_->put_PollingInterval(20), S_OK);
    ASSERT_EQ(control_->put_BillEnabled(VARIANT_TRUE), S_OK);
    TComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control_->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID_IWBAEvents, point_.Out()), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point_->Advise(&sink_, &cookie), S_OK);
    ok = VARIANT_FALSE;
    ASSERT_EQ(control_->StartPolling(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
  }
  void TearDown() override {
    point_.Reset();
    if (control_) {
      Watchdog watchdog("releasing the control at the end of a test");
      VARIANT_BOOL ok = VARIANT_FALSE;
      control_->StopPolling(&ok);
      control_.Reset();
    }
    // A handler still waiting for this thread holds the control until served.
    ServeMessagesUntil([] { return CanUnloadServer() == S_OK; });
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

  // Inserts a bill and waits, without serving this thread's messages, until
  // the Bill handler is in flight: from then on it waits for this thread.
  void BillHandlerWaitingForThisThread() {
    bool taken = false;
    for (int i = 0; i < 2000 && !taken; ++i) {
      taken = peer_->Command("insert 102").substr(0, 2) == "OK";
      if (!taken) Sleep(10);  // the loop has not enabled the device yet
    }
    ASSERT_TRUE(taken) << "the emulator never took the bill";
    ASSERT_TRUE(sink_.Started(kDeadlockBoundMs)) << "no Bill event arrived";
    ASSERT_FALSE(sink_.Finished());
  }

  ClientWindow window_;
  WindowSink sink_{window_.Handle()};
  std::unique_ptr<EmulatorPeer> peer_;
  TComPtr<IWBA003_4> control_;
  TComPtr<IConnectionPoint> point_;
};

TEST_F(WindowThreadHandler, StartPollingAfterStopPollingServesTheHandlersWindowMessage) {
  BillHandlerWaitingForThisThread();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(PostMessageW(window_.Handle(), kPostedProbe, 0, 0));
  HRESULT stopped = E_FAIL;
  HRESULT started = E_FAIL;
  VARIANT_BOOL ok = VARIANT_FALSE;
  {
    Watchdog watchdog("StartPolling after StopPolling, with a Bill handler waiting for the client's thread");
    VARIANT_BOOL stopOk = VARIANT_FALSE;
    stopped = control_->StopPolling(&stopOk);
    started = control_->StartPolling(&ok);
  }
  EXPECT_EQ(stopped, S_OK);
  EXPECT_EQ(started, S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  // The loop that was told to stop has ended, so its handler has returned,
  // and what it sent this thread was served here.
  EXPECT_TRUE(sink_.Finished());
  EXPECT_EQ(window_.Text(), L"Bill 500");
  // Only sent messages were served meanwhile: the posted probe still waits.
  EXPECT_EQ(ClientWindow::ProbesSeen(), 0);
  MSG probe;
  EXPECT_TRUE(PeekMessageW(&probe, window_.Handle(), kPostedProbe, kPostedProbe, PM_REMOVE));
  VARIANT_BOOL polling = VARIANT_FALSE;
  EXPECT_EQ(control_->get_PollingStarted(&polling), S_OK);
  EXPECT_EQ(polling, VARIANT_TRUE);
}

TEST_F(WindowThreadHandler, ReleaseWhileTheHandlerWaitsForTheWindowThreadEndsTheControl) {
  BillHandlerWaitingForThisThread();
  ASSERT_FALSE(HasFatalFailure());
  point_.Reset();
  {
    Watchdog watchdog("releasing the control, with a Bill handler waiting for the client's thread");
    control_.Reset();
  }
  // The event in flight holds the control; once this thread serves the
  // handler's message, the control ends by itself and stops polling.
  ServeMessagesUntil([&] { return sink_.Finished() && CanUnloadServer() == S_OK; });
  EXPECT_TRUE(sink_.Finished());
  EXPECT_EQ(window_.Text(), L"Bill 500");
  EXPECT_EQ(CanUnloadServer(), S_OK);
  EXPECT_EQ(sink_.Refs(), 1);  // the connection has let the sink go
  const std::string status = peer_->Command("status");
  EXPECT_NE(status.find("inhibit=1"), std::string::npos) << status;
}

}  // namespace
}  // namespace notarel::test
