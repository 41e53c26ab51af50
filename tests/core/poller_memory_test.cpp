// The polling loop over the in-memory link: the exact frames a bill cycle
// writes, what a stop leaves on the line, and the failure timer. The device
// here is a small script: each status request takes the next status, setting
// commands are echoed, control commands acknowledged.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cp1251.h"
#include "driver.h"
#include "serial_memory.h"

namespace notarel {
namespace {

std::string Frame(const Bytes& body) { return HexDump(BuildFrame(body)); }

const std::string kStatusRequest = "FC 05 11 27 56";
const std::string kInhibitOn = "FC 06 C3 01 8D C7";

// Replies of a device that walks through the statuses it is given.
class ScriptedDevice {
 public:
  explicit ScriptedDevice(TMemorySerial& line) {
    line.SetResponder([this](const Bytes& written) { return Answer(written); });
  }
  // The statuses (with their data bytes) that the next status requests get.
  void Then(Bytes status) {
    std::lock_guard<std::mutex> hold(lock_);
    statuses_.push_back(std::move(status));
  }

 private:
  TMemorySerial::TReply Answer(const Bytes& frame) {
    const Bytes body(frame.begin() + 2, frame.end() - 2);
    const std::uint8_t command = body.at(0);
    if (command == 0x50) return {};  // ACK gets no reply
    Bytes reply{0x50};
    if (command == 0x11) {
      std::lock_guard<std::mutex> hold(lock_);
      if (statuses_.empty()) return {};  // silent
      reply = statuses_.front();
      statuses_.pop_front();
    } else if (command >= 0x80) {
      reply = body;  // the echo of a setting
    }
    return {TMemorySerial::Data(BuildFrame(reply))};
  }

  std::mutex lock_;
  std::deque<Bytes> statuses_;
};

class PollerOverMemory : public ::testing::Test {
 protected:
  PollerOverMemory()
      : line_(std::make_shared<TMemorySerial>()),
        device_(*line_),
        driver_(std::make_unique<TDriver>(line_)) {
    driver_->SetDefaults();
    driver_->CountryByIndex();
    driver_->SetPortPath("memory");
  }

  std::vector<std::string> WrittenSince(std::size_t first) const {
    std::vector<std::string> frames;
    const std::vector<Bytes> written = line_->Written();
    for (std::size_t i = first; i < written.size(); ++i) frames.push_back(HexDump(written[i]));
    return frames;
  }

  TDriver& driver() { return *driver_; }

  std::shared_ptr<TMemorySerial> line_;
  ScriptedDevice device_;
  std::unique_ptr<TDriver> driver_;
};

using Frames = std::vector<std::string>;

TEST_F(PollerOverMemory, BillCycleFromInhibitToStackedWritesExactlyTheseFrames) {
  driver().SetBillEnabled(true);
  std::vector<std::int32_t> offered;
  int stacked = 0;
  driver().SetOnBill([&](std::int32_t summ, std::int16_t& accept) {
    offered.push_back(summ);
    accept = 1;
  });
  driver().SetOnStacked([&](TDriver& sender) {
    EXPECT_EQ(&sender, &driver());
    ++stacked;
  });
  for (const Bytes& status :
       {Bytes{0x1A}, Bytes{0x11}, Bytes{0x12}, Bytes{0x13, 0x66}, Bytes{0x14}, Bytes{0x15},
        Bytes{0x16}, Bytes{0x16}, Bytes{0x11}}) {
    device_.Then(status);
  }
  for (int cycle = 0; cycle < 9; ++cycle) driver().PollStep();

  EXPECT_EQ(WrittenSince(0),
            (Frames{kStatusRequest, "FC 07 C0 00 00 2D B5", "FC 06 C3 00 04 D6",  // enable, lift
                    kStatusRequest, kStatusRequest,                            // enabled, accepting
                    kStatusRequest, Frame({0x41}),                             // escrow: Stack1
                    kStatusRequest,                                            // stacking
                    kStatusRequest, Frame({0x50}),                             // vend valid: ACK
                    kStatusRequest, kStatusRequest, kStatusRequest}));
  EXPECT_EQ(offered, std::vector<std::int32_t>{500}) << "bill 0x66 of the default table";
  EXPECT_EQ(stacked, 1) << "two STACKED in a row are one event";
  for (int i = 1; i <= 8; ++i) EXPECT_TRUE(driver().Denomination(i)) << i;
  EXPECT_FALSE(driver().InhibitStatus());
  EXPECT_EQ(driver().LastPollStatus(), 0x11);
  EXPECT_EQ(driver().DenominationCode(), 0x66);
}

TEST_F(PollerOverMemory, RefusedBillIsReturnedAndPowerUpIsReset) {
  driver().SetBillEnabled(true);
  driver().SetOnBill([](std::int32_t, std::int16_t& accept) { accept = 0; });
  device_.Then({0x13, 0x66});
  device_.Then({0x40});
  driver().PollStep();
  driver().PollStep();
  EXPECT_EQ(WrittenSince(0),
            (Frames{kStatusRequest, Frame({0x43}), kStatusRequest, Frame({0x40})}));
}

// The handler answers "stack" only after a client has stopped polling: the
// stopped loop must send nothing more, so the stop's inhibit stays the last
// word on the line and the bill stays in escrow.
TEST_F(PollerOverMemory, StopWhileTheBillIsOfferedLeavesTheInhibitAsTheLastFrame) {
  driver().SetBillEnabled(true);
  driver().SetPollingInterval(0);
  std::mutex lock;
  std::condition_variable offered;
  std::size_t stopAt = 0;
  bool stopped = false;
  driver().SetOnBill([&](std::int32_t, std::int16_t& accept) {
    std::lock_guard<std::mutex> hold(lock);
    if (!stopped) {
      stopAt = line_->Written().size();
      std::thread client([&] { EXPECT_TRUE(driver().StopPolling()); });
      client.join();
      stopped = true;
      offered.notify_all();
    }
    accept = 1;
  });
  for (int i = 0; i < 3; ++i) device_.Then({0x13, 0x66});
  ASSERT_TRUE(driver().StartPolling());
  {
    std::unique_lock<std::mutex> wait(lock);
    offered.wait(wait, [&] { return stopped; });
  }
  driver_.reset();  // waits for the loop's end; inhibits once more

  std::lock_guard<std::mutex> hold(lock);
  const Frames after = WrittenSince(stopAt);
  ASSERT_FALSE(after.empty());
  for (const std::string& frame : after) EXPECT_EQ(frame, kInhibitOn);
  EXPECT_EQ(WrittenSince(0).back(), kInhibitOn);
  for (const std::string& frame : WrittenSince(0)) EXPECT_NE(frame, Frame({0x41}));
}

// A stop asked while the loop writes the enable sequence: the mask and the
// lift are one step of the loop, and the stop's inhibit comes after the lift.
TEST_F(PollerOverMemory, StopDuringTheEnableSequenceEndsWithTheInhibit) {
  driver().SetBillEnabled(true);
  driver().SetPollingInterval(0);
  std::promise<void> clientStarted;
  std::thread client;
  line_->SetResponder([&](const Bytes& frame) -> TMemorySerial::TReply {
    const Bytes body(frame.begin() + 2, frame.end() - 2);
    if (body[0] == 0x11) return {TMemorySerial::Data(BuildFrame({0x1A}))};
    if (body[0] == 0xC0 && !client.joinable()) {
      // The client asks to stop while the loop holds the line.
      client = std::thread([&] { driver().StopPolling(); });
      clientStarted.set_value();
    }
    return {TMemorySerial::Data(BuildFrame(body))};
  });
  ASSERT_TRUE(driver().StartPolling());
  clientStarted.get_future().wait();
  client.join();
  driver_.reset();

  // The loop may run more cycles before the client gets the line; once the
  // stop's inhibit is written, nothing else follows it.
  const Frames frames = WrittenSince(0);
  std::size_t stop = 0;
  while (stop < frames.size() && frames[stop] != kInhibitOn) ++stop;
  ASSERT_LT(stop, frames.size());
  for (std::size_t i = stop; i < frames.size(); ++i) EXPECT_EQ(frames[i], kInhibitOn) << i;
  ASSERT_GE(stop, 3u);
  for (std::size_t i = 0; i < stop; ++i) {
    if (frames[i] == "FC 07 C0 00 00 2D B5") {
      ASSERT_LT(i + 1, stop);
      EXPECT_EQ(frames[i + 1], "FC 06 C3 00 04 D6") << "the lift belongs to the loop's step";
    }
  }
}

TEST_F(PollerOverMemory, FailureTimerReportsOnlyARunOfFailuresLongerThanTheTimeout) {
  std::vector<std::int32_t> codes;
  std::string text;
  driver().SetOnError([&](std::int32_t code, std::int32_t ext, const std::string& t) {
    EXPECT_EQ(code, ext);
    codes.push_back(code);
    text = t;
  });
  // With a timeout no run can outlast, silence is never reported.
  driver().SetErrorTimeout(0xFFFFFFFFu);
  for (int cycle = 0; cycle < 5; ++cycle) driver().PollStep();
  EXPECT_TRUE(codes.empty());

  // The first failure only starts the timer; a good read in between clears it.
  driver().SetErrorTimeout(0);
  device_.Then({0x11});
  driver().PollStep();  // good read
  driver().PollStep();  // silent: starts the timer
  device_.Then({0x11});
  driver().PollStep();  // good: clears it
  driver().PollStep();  // silent: starts it again, no report
  EXPECT_TRUE(codes.empty());

  // Once the run outlasts the timeout it is reported with the read's own result.
  while (codes.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    driver().PollStep();
  }
  EXPECT_EQ(codes, std::vector<std::int32_t>{-1});
  EXPECT_EQ(text, Utf8ToCp1251("Нет связи"));
  driver().PollStep();  // the report cleared the timer: this failure starts it anew
  EXPECT_EQ(codes.size(), 1u);
}

TEST_F(PollerOverMemory, FailedReadsAreNotStatusesAndCarryTheirOwnCodes) {
  driver().SetBillEnabled(true);
  int offers = 0;
  driver().SetOnBill([&](std::int32_t, std::int16_t&) { ++offers; });
  std::vector<std::int32_t> codes;
  driver().SetOnError([&](std::int32_t code, std::int32_t, const std::string&) {
    codes.push_back(code);
  });
  device_.Then({0x13, 0x66});
  driver().PollStep();
  ASSERT_EQ(offers, 1);
  line_->ClearWritten();
  // A reply cut short after its status byte, then only replies with a bad CRC.
  Bytes bad = BuildFrame({0x13, 0x66});
  bad.back() ^= 0xFF;
  line_->Script({TMemorySerial::Data({0xFC, 0x06, 0x13}), TMemorySerial::Timeout()});
  line_->SetResponder(
      [bad](const Bytes&) { return TMemorySerial::TReply{TMemorySerial::Data(bad)}; });
  driver().SetErrorTimeout(0);
  driver().PollStep();
  EXPECT_EQ(driver().ResultCode(), -5) << "cut short: what is there fails the CRC";
  EXPECT_EQ(driver().Input(), "FC 06 13");
  while (codes.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    driver().PollStep();
  }
  EXPECT_EQ(offers, 1) << "ESCROW is not acted on again after a failed read";
  EXPECT_EQ(codes.front(), -5);
  EXPECT_EQ(driver().StatusCode(), 0x13) << "a failed read keeps the last status";
  for (const std::string& frame : WrittenSince(0)) EXPECT_EQ(frame, kStatusRequest);
}

// What the memory line gives the exchange: skipped noise, a read failure with
// the backend's own text, a refused opening, and the settings it was given.
TEST(MemorySerial, LineScriptReachesTheExchangeAsAPortWould) {
  auto line = std::make_shared<TMemorySerial>();
  TDriver driver(line);
  driver.SetPortPath("memory-port");
  line->FailOpen(2);
  EXPECT_FALSE(driver.OpenPort());
  EXPECT_EQ(driver.ResultCode(), -2);
  EXPECT_NE(driver.ResultDescription().find("Memory link error 2"), std::string::npos);
  line->FailOpen(0);

  Bytes noisy{0x01, 0x02};
  const Bytes reply = BuildFrame({0x11});
  noisy.insert(noisy.end(), reply.begin(), reply.end());
  line->ScriptBytes(noisy);
  ASSERT_TRUE(driver.ReadStatus());
  EXPECT_EQ(driver.Input(), HexDump(reply));
  EXPECT_EQ(line->OpenedName(), "memory-port");
  EXPECT_EQ(line->LineSpeed(), 9600);

  line->Script({TMemorySerial::Data({0xFC, 0x05}), TMemorySerial::ReadError(5)});
  EXPECT_FALSE(driver.ReadStatus());
  EXPECT_EQ(driver.ResultCode(), -8);
  EXPECT_EQ(driver.ResultDescription(), "Memory link error 5");
  EXPECT_EQ(driver.ExecTime(), 0);

  line->ScriptBytes(BuildFrame({0x11}));
  line->Inject({TMemorySerial::Data({0x33, 0x34})});  // stale bytes: purged before the request
  ASSERT_TRUE(driver.ReadStatus());
  EXPECT_EQ(line->Pending(), 0u);

  // A long run keeps only the last writes, and counts them all.
  line->KeepLastWrites(1);
  EXPECT_TRUE(driver.Ack());
  EXPECT_EQ(line->Written(), std::vector<Bytes>{BuildFrame({0x50})});
  EXPECT_EQ(line->WriteCount(), 4u);
  ASSERT_TRUE(driver.ClosePort());
  EXPECT_FALSE(line->IsOpen());
}

}  // namespace
}  // namespace notarel
