// The emulated device served in the host's own process: what it puts on the
// line for the bytes a host writes, with silences, queued faults and the soak
// scenario's spoiled replies, and what its ledgers book meanwhile.
#include <gtest/gtest.h>

#include "hex_bytes.h"
#include "in_process_device.h"

namespace notarel::emu {
namespace {

using Clock = InProcessDevice::Clock;
using std::chrono::milliseconds;

const Bytes kStatusRequest = BuildFrame({0x11});
const Bytes kAck = BuildFrame({0x50});
const Bytes kEnableAll = BuildFrame({0xC0, 0x00, 0x00});

std::string ReplyHex(InProcessDevice& device, const Bytes& written, Clock::time_point at) {
  return HexDump(device.Serve(written, at).bytes);
}

// A counter from the device's "OK name=N ..." counters line, or -1.
long Counter(InProcessDevice& device, const std::string& name, Clock::time_point at) {
  const std::string line = device.Command("counters", at);
  const auto found = line.find(" " + name + "=");
  if (found == std::string::npos) return -1;
  return std::stol(line.substr(found + name.size() + 2));
}

TEST(InProcessDevice, AnswersEachWholeRequestOnceWhateverTheWritesCutItInto) {
  InProcessDevice device(1, StartState::kEnabled);
  const Clock::time_point now = Clock::now();
  const Bytes head(kStatusRequest.begin(), kStatusRequest.begin() + 2);
  const Bytes tail(kStatusRequest.begin() + 2, kStatusRequest.end());
  EXPECT_EQ(ReplyHex(device, head, now), "");
  EXPECT_EQ(ReplyHex(device, tail, now), HexDump(BuildFrame({0x11})));
  // Two requests in one write get both replies, in order; the ACK none.
  Bytes two = kStatusRequest;
  two.insert(two.end(), kAck.begin(), kAck.end());
  two.insert(two.end(), kStatusRequest.begin(), kStatusRequest.end());
  EXPECT_EQ(ReplyHex(device, two, now), HexDump(BuildFrame({0x11})) + " " + HexDump(BuildFrame({0x11})));
  // A bad CRC gets the device's own answer, not the status.
  Bytes bad = kStatusRequest;
  bad.back() ^= 0x01;
  const InProcessDevice::Reply corrupt = device.Serve(bad, now);
  EXPECT_FALSE(corrupt.bytes.empty());
  EXPECT_NE(HexDump(corrupt.bytes), HexDump(BuildFrame({0x11})));
  EXPECT_EQ(Counter(device, "badcrc", now), 1);
}

TEST(InProcessDevice, ASilenceLastsItsTimeAndItsRequestsAreStillBooked) {
  InProcessDevice device(1, StartState::kEnabled);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(device.Command("host stopped", start), "OK");
  ASSERT_EQ(device.Command("silent 50", start), "OK");
  const InProcessDevice::Reply during = device.Serve(kEnableAll, start + milliseconds(49));
  EXPECT_TRUE(during.bytes.empty());
  EXPECT_EQ(during.silenced, 1U);
  // Unanswered, yet the inhibit ledger heard the enabling command.
  EXPECT_EQ(Counter(device, "enabled_after_stop", start), 1);
  EXPECT_EQ(Counter(device, "requests", start), 0);
  const InProcessDevice::Reply after = device.Serve(kStatusRequest, start + milliseconds(50));
  EXPECT_EQ(HexDump(after.bytes), HexDump(BuildFrame({0x11})));
  EXPECT_EQ(after.silenced, 0U);
}

TEST(InProcessDevice, AQueuedFaultSpoilsTheNextReplyAndSaysWhichItWas) {
  InProcessDevice device(1, StartState::kEnabled);
  const Clock::time_point now = Clock::now();
  ASSERT_EQ(device.Command("corrupt", now), "OK");
  // The ACK gets no reply, so the fault waits for the next one.
  EXPECT_TRUE(device.Serve(kAck, now).faults.empty());
  const InProcessDevice::Reply spoiled = device.Serve(kStatusRequest, now);
  ASSERT_EQ(spoiled.faults.size(), 1U);
  EXPECT_EQ(spoiled.faults[0], FaultKind::kCorrupt);
  EXPECT_FALSE(ReachesHostIntact(spoiled.bytes, BuildFrame({0x11})));
  EXPECT_TRUE(device.Serve(kStatusRequest, now).faults.empty());
  EXPECT_EQ(device.Command("wire 9600", now), "ERR not available in process");
}

// Every reply spoiled or every request silenced: the scenario is told what
// reached the host, and its silences last their drawn length in time.
TEST(InProcessDevice, TheSoakScenarioSpoilsAndSilencesAsOnTheLine) {
  const std::string quiet =
      " garbage=0 swapcrc=0 truncate=0 short=0 short_silence=0 reject=0 fail=0 powerup=0 full=0";
  InProcessDevice spoiling(1, StartState::kEnabled);
  const Clock::time_point now = Clock::now();
  ASSERT_EQ(spoiling.Command("soak 3 corrupt=1000 long_silence=0" + quiet, now), "OK");
  EXPECT_EQ(spoiling.Serve(kStatusRequest, now).faults, std::vector<FaultKind>{FaultKind::kCorrupt});
  spoiling.Serve(kStatusRequest, now);
  EXPECT_EQ(Counter(spoiling, "spoiled", now), 2);
  EXPECT_EQ(Counter(spoiling, "corrupted", now), 2);
  EXPECT_EQ(Counter(spoiling, "spoiled_retried", now), 1);

  InProcessDevice silent(1, StartState::kEnabled);
  ASSERT_EQ(silent.Command("soak 3 corrupt=0 long_silence=1000 long_ms=100" + quiet, now), "OK");
  EXPECT_EQ(silent.Serve(kStatusRequest, now).silenced, 1U);
  // Within the silence (at least 50 ms) no new one is drawn.
  EXPECT_EQ(silent.Serve(kStatusRequest, now + milliseconds(49)).silenced, 1U);
  EXPECT_EQ(Counter(silent, "silences_long", now), 1);
  EXPECT_EQ(silent.Serve(kStatusRequest, now + milliseconds(101)).silenced, 1U);
  EXPECT_EQ(Counter(silent, "silences_long", now), 2);
}

}  // namespace
}  // namespace notarel::emu
