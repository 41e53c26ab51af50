// Status round trips against the emulator: the driver's own overhead with no
// wire time, and how close it comes to the line's physical limit at 9600 and
// 19200 baud. Prints figures; asserts nothing about speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver.h"
#include "emulator_peer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double perSecond;
  double medianMs;
  double p99Ms;
  double meanMs;
  int failures;
};

Figures Measure(notarel::TDriver& driver, int count) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(count));
  int failures = 0;
  const auto begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    if (!driver.ReadStatus()) ++failures;
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  const double total = std::chrono::duration<double>(Clock::now() - begin).count();
  std::sort(ms.begin(), ms.end());
  return {count / total, ms[ms.size() / 2], ms[ms.size() * 99 / 100], total * 1000.0 / count,
          failures};
}

// A status round trip is ten bytes on the wire (a five-byte request and a
// five-byte reply) of eleven bits each.
double PhysicalLimitMs(int baud) { return 10.0 * 11.0 * 1000.0 / baud; }

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int wireCount = argc > 2 ? std::atoi(argv[2]) : 300;
  auto peer = notarel::EmulatorPeer::Start();
  if (!peer) return 1;
  notarel::TDriver driver;
  peer->Attach(driver);
  if (!driver.OpenPort()) {
    std::printf("cannot open the emulator's port (code %d)\n", driver.ResultCode());
    return 1;
  }
  driver.ReadStatus();  // warm up

  const Figures raw = Measure(driver, count);
  std::printf("no wire time: %d exchanges, %.0f exchanges/s, median %.3f ms, p99 %.3f ms, %d failed\n",
              count, raw.perSecond, raw.medianMs, raw.p99Ms, raw.failures);
  for (int baud : {9600, 19200}) {
    peer->Command("wire " + std::to_string(baud));
    driver.SetBaudRate(baud);
    const Figures wired = Measure(driver, wireCount);
    const double limit = PhysicalLimitMs(baud);
    std::printf("wire %5d: %d exchanges, median %.3f ms, p99 %.3f ms, mean %.3f ms, "
                "physical limit %.2f ms, ratio %.3f, %d failed\n",
                baud, wireCount, wired.medianMs, wired.p99Ms, wired.meanMs, limit,
                limit / wired.meanMs, wired.failures);
  }
  peer->Command("wire 0");
  return 0;
}
