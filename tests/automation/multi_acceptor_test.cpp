// Four controls in one process, as a kiosk carries four acceptors: each polls
// its own emulator behind COM5 to COM8, with bills going in on all four at
// once, and what each control's events said is held against what its own
// emulator booked. One line hangs up and falls silent for a while without
// disturbing the other three. And one control polling across a hang-up, its
// port gone for a second or for half a minute, takes the first bill after the
// line came back once.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acceptor_feed.h"
#include "automation_test.h"
#include "emulator_peer.h"
#include "event_sink_base.h"

namespace notarel::test {
namespace {

using feed::WaitFor;

constexpr int kAcceptors = 4;
constexpr int kLost = 2;  // the acceptor whose line goes away (COM7)

// Records every event of one control as it arrives on its polling thread,
// accepting every bill.
class RecordingSink : public EventSinkBase {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (dispid == 2 && params->cArgs == 2 && params->rgvarg[0].vt == (VT_BOOL | VT_BYREF)) {
      offered_.push_back(params->rgvarg[1].lVal);
      *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    } else if (dispid == 4) {
      ++stacked_;
    } else if ((dispid == 1 || dispid == 3) && params->cArgs == 3) {
      const LONG code = params->rgvarg[2].lVal;
      const LONG ext = params->rgvarg[1].lVal;
      if (dispid == 3) {
        rejections_.push_back(ext);
        if (code != 23) ++malformed_;
      } else {
        ++errors_;
        if (code != ext || code >= 0) ++malformed_;
      }
    } else {
      ++malformed_;
    }
    return S_OK;
  }

  std::vector<LONG> Offered() { return Locked(offered_); }
  std::vector<LONG> Rejections() { return Locked(rejections_); }
  int Stacked() { return Locked(stacked_); }
  int Errors() { return Locked(errors_); }
  int Malformed() { return Locked(malformed_); }

 private:
  template <class T>
  T Locked(const T& value) {
    std::lock_guard<std::mutex> hold(lock_);
    return value;
  }
  std::mutex lock_;
  std::vector<LONG> offered_;
  std::vector<LONG> rejections_;
  int stacked_ = 0;
  int errors_ = 0;
  int malformed_ = 0;
};

// One control on its own emulator, polling with every bill enabled.
struct Acceptor {
  int index = 0;
  std::unique_ptr<EmulatorPeer> peer;
  RecordingSink sink;  // outlives the control, which may still hold it
  TComPtr<IWBA003_4> control;
  std::vector<int> inserted;

  void Open(int which) {
    index = which;
    peer = EmulatorPeer::StartAt(which);
    ASSERT_TRUE(peer);
    control = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control);
    ASSERT_EQ(control->put_PortNumber(std::atoi(peer->PortArgument().c_str() + 3)), S_OK);
    ASSERT_EQ(control->put_CountryIndex(0), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(control->CountryByIndex(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(control->put_PollingInterval(10), S_OK);
    ASSERT_EQ(control->put_ErrorTimeout(200), S_OK);
    ASSERT_EQ(control->put_BillEnabled(VARIANT_TRUE), S_OK);
    TComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
    TComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID_IWBAEvents, point.Out()), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    ASSERT_EQ(control->StartPolling(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
  }
  bool PortOpened() {
    VARIANT_BOOL open = VARIANT_FALSE;
    return control->get_PortOpened(&open) == S_OK && open == VARIANT_TRUE;
  }
  void Stop() {
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(control->StopPolling(&ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
  }
  // Called from a feeding thread: only the emulator and the sink are touched there.
  bool Bill(int code) {
    if (!feed::Feed(*peer, "insert " + std::to_string(code), [this] { return sink.Stacked(); })) {
      return false;
    }
    inserted.push_back(code);
    return true;
  }
  bool Bills(int count) {
    for (int i = 0; i < count; ++i) {
      if (!Bill(feed::BillCode(index, i))) return false;
    }
    return true;
  }
  bool Reject(int code) {
    return feed::Feed(*peer, "reject " + std::to_string(code),
                      [this] { return static_cast<int>(sink.Rejections().size()); });
  }
  // The events against the emulator's own books.
  void CheckLedger(std::vector<LONG> rejections) {
    SCOPED_TRACE("acceptor on " + peer->PortArgument());
    std::vector<LONG> expected;
    for (int code : inserted) expected.push_back(feed::ValueOf(code));
    const std::string counters = peer->Command("counters");
    const int bills = static_cast<int>(inserted.size());
    EXPECT_EQ(sink.Offered(), expected) << "each offer came from this control's own emulator, once";
    EXPECT_EQ(sink.Stacked(), bills);
    EXPECT_EQ(feed::Counter(counters, "escrowed"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "stacked"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "stack1"), bills) << counters;
    EXPECT_EQ(feed::Counter(counters, "return"), 0) << counters;
    EXPECT_EQ(feed::Counter(counters, "rejected"), static_cast<int>(rejections.size())) << counters;
    EXPECT_EQ(sink.Rejections(), rejections);
    EXPECT_EQ(sink.Malformed(), 0);
  }
};

// Runs the work on every acceptor but the skipped one, each on a thread of its own.
template <class Work>
int OnAll(Acceptor* acceptors, Work work, int skip = -1) {
  std::vector<std::thread> threads;
  std::atomic<int> failed{0};
  for (int i = 0; i < kAcceptors; ++i) {
    if (i == skip) continue;
    threads.emplace_back([&, i] {
      if (!work(acceptors[i])) ++failed;
    });
  }
  for (auto& t : threads) t.join();
  return failed;
}

TEST(MultiAcceptor, FourControlsAgreeWithTheirOwnDevicesAndOneLostLineDisturbsNoOther) {
  Acceptor acceptors[kAcceptors];
  for (int i = 0; i < kAcceptors; ++i) {
    acceptors[i].Open(i);
    ASSERT_FALSE(HasFatalFailure());
  }
  for (auto& a : acceptors) ASSERT_TRUE(WaitFor([&] { return feed::Idle(*a.peer); })) << a.index;

  ASSERT_EQ(OnAll(acceptors, [](Acceptor& a) {
              return a.Bills(2) && a.Reject(0x71 + a.index) && a.Bills(2);
            }), 0);

  // COM7's line hangs up and stays silent; the other three keep taking bills.
  Acceptor& lost = acceptors[kLost];
  ASSERT_EQ(lost.peer->Command("hangup").rfind("OK PTY", 0), 0u);
  ASSERT_EQ(lost.peer->Command("silent 600000").rfind("OK", 0), 0u);
  EXPECT_EQ(OnAll(acceptors, [](Acceptor& a) { return a.Bills(3); }, kLost), 0);
  EXPECT_TRUE(WaitFor([&] { return lost.sink.Errors() >= 2; }));
  for (auto& a : acceptors) {
    EXPECT_EQ(a.sink.Errors() == 0, a.index != kLost) << "Error events on acceptor " << a.index;
    if (a.index != kLost) {
      EXPECT_TRUE(a.PortOpened()) << a.index;
    }
  }

  // Back: its next bill is offered, stacked and counted once.
  ASSERT_EQ(lost.peer->Command("silent 0").rfind("OK", 0), 0u);
  ASSERT_TRUE(WaitFor([&] { return feed::Idle(*lost.peer); }));
  EXPECT_TRUE(lost.PortOpened());
  EXPECT_TRUE(lost.Bill(103));
  for (auto& a : acceptors) a.Stop();
  for (auto& a : acceptors) a.CheckLedger({0x71 + a.index});
}

// The emulator behind COM5 hangs up while the control polls and its port is
// gone for a second or for half a minute, as an adapter that is replugged or
// reset; the control reports the loss, opens the port again by itself once
// it is back, and takes the first bill after the return once.
class PollingAcrossAHangUp : public ::testing::TestWithParam<int> {};

TEST_P(PollingAcrossAHangUp, TheFirstBillAfterTheLineCameBackIsOfferedStackedAndCountedOnce) {
  const int away = GetParam();
  Acceptor a;
  a.Open(0);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitFor([&] { return feed::Idle(*a.peer); }));
  EXPECT_TRUE(a.PortOpened());
  ASSERT_EQ(a.peer->Command("hangup " + std::to_string(away)), "OK AWAY " + std::to_string(away));
  bool sawClosed = false;
  EXPECT_TRUE(WaitFor([&] {
    sawClosed = sawClosed || !a.PortOpened();
    return sawClosed && a.sink.Errors() >= 1;
  })) << "the loss is reported and PortOpened reads false while the port is gone";
  // The port is back after `away`; a 30 s absence needs longer than the usual wait.
  ASSERT_TRUE(WaitFor([&] { return a.PortOpened() && feed::Idle(*a.peer); }, away / 10 + 1500));
  EXPECT_TRUE(a.Bill(102));
  a.Stop();
  a.CheckLedger({});
  EXPECT_TRUE(a.PortOpened());
}

INSTANTIATE_TEST_SUITE_P(Away, PollingAcrossAHangUp, ::testing::Values(1000, 30000));

}  // namespace
}  // namespace notarel::test
