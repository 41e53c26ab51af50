// The IWBAEvents connection point: one sink at a time, and a real bill cycle
// against the emulator with the events arriving on the polling thread.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "automation_test.h"
#include "emulator_peer.h"

namespace notarel::test {
namespace {

// An event sink as a client writes one: IDispatch only, counting what
// arrives. Called on the driver's polling thread.
class TestSink : public IDispatch {
 public:
  explicit TestSink(bool acceptBills, HRESULT answer = S_OK) : accept_(acceptBills), answer_(answer) {}
  virtual ~TestSink() = default;

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
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs_); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    if (flags != DISPATCH_METHOD || params->cNamedArgs != 0) ++malformed_;
    if (dispid == 2) {  // Bill(Summ, Accept)
      if (params->cArgs != 2 || params->rgvarg[1].vt != VT_I4 ||
          params->rgvarg[0].vt != (VT_BOOL | VT_BYREF) || *params->rgvarg[0].pboolVal != 0) {
        ++malformed_;
        return answer_;
      }
      lastSumm_ = params->rgvarg[1].lVal;
      if (accept_) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
      ++bills_;
    } else if (dispid == 4) {  // Stacked
      if (params->cArgs != 0) ++malformed_;
      ++stacked_;
    } else if (dispid == 1 || dispid == 3) {  // Error or Reject(code, extended code, text)
      if (params->cArgs != 3 || params->rgvarg[2].vt != VT_I4 || params->rgvarg[1].vt != VT_I4 ||
          params->rgvarg[0].vt != VT_BSTR) {
        ++malformed_;
        return answer_;
      }
      lastCode_ = params->rgvarg[2].lVal;
      lastExtCode_ = params->rgvarg[1].lVal;
      if (SysStringLen(params->rgvarg[0].bstrVal) > 0) ++describedCodes_;
      {
        const BSTR text = params->rgvarg[0].bstrVal;
        std::lock_guard<std::mutex> lock(textsLock_);
        texts_.emplace_back(text ? text : L"", SysStringLen(text));
      }
      ++(dispid == 1 ? errors_ : rejects_);
    }
    return answer_;
  }

  // The texts of the Error and Reject events, in the order they came.
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(textsLock_);
    return texts_;
  }

  std::atomic<int> refs_{1};
  std::atomic<int> bills_{0};
  std::atomic<int> stacked_{0};
  std::atomic<int> errors_{0};
  std::atomic<int> rejects_{0};
  std::atomic<int> malformed_{0};
  std::atomic<LONG> lastSumm_{0};
  std::atomic<LONG> lastCode_{0};
  std::atomic<LONG> lastExtCode_{0};
  std::atomic<int> describedCodes_{0};

 private:
  bool accept_;
  HRESULT answer_;
  std::mutex textsLock_;
  std::vector<std::wstring> texts_;
};

// Neither IDispatch nor the event interface.
// Holds the only reference to the control and drops it from inside the
// first Bill event, after accepting the bill, as a careless client might.
class DroppingSink : public TestSink {
 public:
  DroppingSink() : TestSink(true) {}
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                   UINT* arg) override {
    const HRESULT hr = TestSink::Invoke(dispid, iid, lcid, flags, params, result, info, arg);
    if (dispid == 2) {
      if (IWBA003_4* last = control_.exchange(nullptr)) {
        dropThread_ = GetCurrentThreadId();
        last->Release();
      }
    }
    return hr;
  }
  std::atomic<IWBA003_4*> control_{nullptr};
  std::atomic<DWORD> dropThread_{0};
};

class MuteSink : public IUnknown {
 public:
  virtual ~MuteSink() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

TComPtr<IConnectionPoint> EventPoint(IWBA003_4* control) {
  TComPtr<IConnectionPointContainer> container;
  TComPtr<IConnectionPoint> point;
  EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
  if (container) {
    EXPECT_EQ(container->FindConnectionPoint(DIID_IWBAEvents, point.Out()), S_OK);
  }
  return point;
}

TEST(Events, OneSinkAtATimeAndAnEmptyEntryAfterUnadvise) {
  for (const CLSID* clsid : {&CLSID_Notarel, &CLSID_Notarel2}) {
    TComPtr<IWBA003_4> control = CreateControl(*clsid);
    ASSERT_TRUE(control);
    TComPtr<IConnectionPoint> point = EventPoint(control.Get());
    ASSERT_TRUE(point);
    TestSink first(true);
    TestSink second(true);
    MuteSink mute;
    DWORD cookie1 = 0;
    DWORD cookie2 = 0;
    EXPECT_EQ(point->Advise(&mute, &cookie1), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(point->Advise(&first, &cookie1), S_OK);
    EXPECT_EQ(point->Advise(&second, &cookie2), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(point->Unadvise(cookie1), S_OK);
    EXPECT_EQ(first.refs_.load(), 1);
    EXPECT_EQ(point->Unadvise(cookie1), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(point->Advise(&second, &cookie2), S_OK);
    EXPECT_NE(cookie2, cookie1);  // the first entry stays, empty
    TComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.Out()), S_OK);
    CONNECTDATA data[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(data[0].dwCookie, cookie2);
    data[0].pUnk->Release();
    connections.Reset();
    EXPECT_EQ(point->Unadvise(cookie2), S_OK);
    EXPECT_EQ(second.refs_.load(), 1);
  }
}

TEST(Events, TheContainerOffersExactlyTheEventPoint) {
  TComPtr<IWBA003_4> control = CreateControl(CLSID_Notarel);
  ASSERT_TRUE(control);
  TComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
  TComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.Out()), CONNECT_E_NOCONNECTION);
  TComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.Out()), S_OK);
  IConnectionPoint* found[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  IID iid{};
  EXPECT_EQ(found[0]->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, DIID_IWBAEvents));
  found[0]->Release();
}

// Waits (asserting nothing about time) until the condition holds or a
// generous limit passes; the caller checks the condition afterwards.
template <class Condition>
void WaitUntil(Condition condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class BillCycle : public ::testing::Test {
 protected:
  void SetUp() override {
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
    ASSERT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(control_->put_PollingInterval(20), S_OK);
    ASSERT_EQ(control_->put_BillEnabled(VARIANT_TRUE), S_OK);
    point_ = EventPoint(control_.Get());
    ASSERT_TRUE(point_);
  }
  void Start() {
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(control_->StartPolling(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
  }
  void Stop() {
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(control_->StopPolling(&ok), S_OK);
  }
  std::string Emu(const std::string& line) { return peer_->Command(line); }
  // The emulator takes a bill once the polling loop has enabled it.
  bool InsertBill() {
    bool taken = false;
    WaitUntil([&] { return taken = Emu("insert 102").substr(0, 2) == "OK"; });
    return taken;
  }

  std::unique_ptr<EmulatorPeer> peer_;
  // The sinks outlive the control, which may still hold one when a test ends early.
  TestSink accepting_{true};
  TestSink failing_{false, E_FAIL};
  TComPtr<IWBA003_4> control_;
  TComPtr<IConnectionPoint> point_;
};

TEST_F(BillCycle, AcceptedBillIsOfferedThenStacked) {
  TestSink& sink = accepting_;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(&sink, &cookie), S_OK);
  Start();
  ASSERT_TRUE(InsertBill());
  WaitUntil([&] { return sink.stacked_.load() > 0; });
  Stop();
  EXPECT_EQ(sink.bills_.load(), 1);
  EXPECT_EQ(sink.lastSumm_.load(), 500);
  EXPECT_EQ(sink.stacked_.load(), 1);
  EXPECT_EQ(sink.malformed_.load(), 0);
  const std::string counters = Emu("counters");
  EXPECT_NE(counters.find("stack1=1"), std::string::npos) << counters;
  EXPECT_NE(counters.find("return=0"), std::string::npos) << counters;
  EXPECT_EQ(point_->Unadvise(cookie), S_OK);
}

TEST_F(BillCycle, FailingSinkLeavesTheBillReturnedAndPollingGoingOn) {
  TestSink& sink = failing_;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(&sink, &cookie), S_OK);
  Start();
  ASSERT_TRUE(InsertBill());
  WaitUntil([&] { return sink.bills_.load() >= 1 && Emu("counters").find("return=1") != std::string::npos; });
  ASSERT_TRUE(InsertBill());
  WaitUntil([&] { return sink.bills_.load() >= 2; });
  Stop();
  EXPECT_EQ(sink.bills_.load(), 2);
  EXPECT_EQ(sink.stacked_.load(), 0);
  const std::string counters = Emu("counters");
  EXPECT_NE(counters.find("stack1=0"), std::string::npos) << counters;
  EXPECT_EQ(point_->Unadvise(cookie), S_OK);
}

TEST_F(BillCycle, RejectionAndFailureArriveWithTheirCodesAndTexts) {
  TestSink& sink = accepting_;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(&sink, &cookie), S_OK);
  Start();
  bool rejected = false;
  WaitUntil([&] { return rejected = Emu("reject 113").substr(0, 2) == "OK"; });
  ASSERT_TRUE(rejected);
  WaitUntil([&] { return sink.rejects_.load() > 0; });
  EXPECT_EQ(sink.rejects_.load(), 1);
  EXPECT_EQ(sink.lastCode_.load(), 23);
  EXPECT_EQ(sink.lastExtCode_.load(), 113);
  ASSERT_EQ(Emu("fail 162").substr(0, 2), "OK");
  WaitUntil([&] { return sink.errors_.load() > 0; });
  Stop();
  EXPECT_GE(sink.errors_.load(), 1);
  EXPECT_EQ(sink.lastCode_.load(), 73);
  EXPECT_EQ(sink.lastExtCode_.load(), 162);
  EXPECT_EQ(sink.describedCodes_.load(), sink.rejects_.load() + sink.errors_.load());
  EXPECT_EQ(sink.malformed_.load(), 0);
  EXPECT_EQ(point_->Unadvise(cookie), S_OK);
}

TEST_F(BillCycle, ADeviceFallingSilentGivesAnErrorWithTheDriversRussianMessage) {
  TestSink& sink = accepting_;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(&sink, &cookie), S_OK);
  ASSERT_EQ(control_->put_ErrorTimeout(100), S_OK);
  Start();
  ASSERT_EQ(Emu("silent 600000").substr(0, 2), "OK");
  WaitUntil([&] { return sink.errors_.load() > 0; });
  Stop();
  Emu("silent 0");
  ASSERT_GE(sink.errors_.load(), 1);
  EXPECT_EQ(sink.lastCode_.load(), -1);
  EXPECT_EQ(sink.lastExtCode_.load(), -1);
  const std::vector<std::wstring> texts = sink.Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), L"Нет связи");
  EXPECT_EQ(point_->Unadvise(cookie), S_OK);
}

TEST_F(BillCycle, LastReferenceDroppedInsideAnEventEndsTheControlCleanly) {
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  DroppingSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(&sink, &cookie), S_OK);
  point_.Reset();
  Start();
  // From here on the sink holds the control's only reference.
  sink.control_ = control_.Detach();
  ASSERT_TRUE(InsertBill());
  WaitUntil([&] { return sink.control_.load() == nullptr && canUnload() == S_OK; });
  EXPECT_EQ(sink.control_.load(), nullptr);
  EXPECT_NE(sink.dropThread_.load(), GetCurrentThreadId());
  // The control is gone: no object is left, the loop has ended and released
  // the sink, and the port is free for the next control.
  EXPECT_EQ(canUnload(), S_OK);
  EXPECT_EQ(sink.refs_.load(), 1);
  const std::string before = Emu("counters");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Emu("counters"), before) << "the device is still being polled";
  TComPtr<IWBA003_4> next = CreateControl(CLSID_Notarel2);
  ASSERT_TRUE(next);
  ASSERT_EQ(next->put_PortNumber(std::atoi(std::getenv("NOTAREL_EMU_COM"))), S_OK);
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(next->ReadStatus(&ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
}

}  // namespace
}  // namespace notarel::test
