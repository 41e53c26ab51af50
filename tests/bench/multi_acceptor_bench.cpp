// Figures of four acceptors in one process, natively and under Wine (where the
// emulators sit behind COM5 to COM8): the CPU one idle polling acceptor costs
// at the default polling interval, and the time from each Bill event to its
// Stacked event with bills going in on all four at once. Prints figures;
// asserts nothing about speed.
//   multi_acceptor_bench [idle seconds] [bills per acceptor] [busy interval ms]...
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "acceptor_feed.h"
#include "driver.h"
#include "emulator_peer.h"
#include "process_cpu.h"

namespace notarel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAcceptors = 4;

// One driver on its own emulator, timing each bill from its offer to its stacking.
struct Acceptor {
  int index = 0;
  std::unique_ptr<EmulatorPeer> peer;
  TDriver driver;
  std::mutex lock;
  Clock::time_point offeredAt;
  std::vector<double> latenciesMs;
  std::atomic<int> stacked{0};

  bool Open(int which, int interval) {
    index = which;
    peer = EmulatorPeer::StartAt(which);
    if (!peer) return false;
    driver.SetDefaults();
    peer->Attach(driver);
    if (interval > 0) driver.SetPollingInterval(static_cast<std::uint32_t>(interval));
    driver.SetBillEnabled(true);
    driver.SetOnBill([this](std::int32_t, std::int16_t& accept) {
      std::lock_guard<std::mutex> hold(lock);
      offeredAt = Clock::now();
      accept = -1;
    });
    driver.SetOnStacked([this](TDriver&) {
      {
        std::lock_guard<std::mutex> hold(lock);
        latenciesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - offeredAt).count());
      }
      ++stacked;
    });
    return driver.StartPolling() &&
           feed::WaitFor([&] { return driver.LastPollStatus() == 0x11; });
  }
};

// Four acceptors polling at the interval (0: the driver's default), each
// enabled and idle; empty when one could not start.
std::vector<std::unique_ptr<Acceptor>> OpenAll(int interval) {
  std::vector<std::unique_ptr<Acceptor>> all;
  for (int i = 0; i < kAcceptors; ++i) {
    all.push_back(std::make_unique<Acceptor>());
    if (!all.back()->Open(i, interval)) {
      std::printf("acceptor %d did not start polling\n", i);
      return {};
    }
  }
  return all;
}

void MeasureIdle(int seconds) {
  auto all = OpenAll(0);
  if (all.empty()) return;
  const int interval = static_cast<int>(all.front()->driver.PollingInterval());
  const double cpu0 = bench::ProcessCpuSeconds();
  const auto wall0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double cpu = bench::ProcessCpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  for (auto& a : all) a->driver.StopPolling();
  std::printf("idle: %d acceptors polling at %d ms (enabled, no bills) for %.1f s: %.3f s CPU in all, "
              "%.3f%% of a core per acceptor (%.2f ms CPU per acceptor-second)\n",
              kAcceptors, interval, wall, cpu, 100.0 * cpu / (kAcceptors * wall), 1000.0 * cpu / (kAcceptors * wall));
}

void MeasureBusy(int bills, int interval) {
  auto all = OpenAll(interval);
  if (all.empty()) return;
  std::vector<std::thread> feeders;
  const auto wall0 = Clock::now();
  for (auto& a : all) {
    feeders.emplace_back([&a, bills] {
      for (int i = 0; i < bills; ++i) {
        const std::string insert = "insert " + std::to_string(feed::BillCode(a->index, i));
        if (!feed::Feed(*a->peer, insert, [&] { return a->stacked.load(); })) return;
      }
    });
  }
  for (auto& t : feeders) t.join();
  const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  std::printf("busy: %d acceptors at %d ms polling, %d bills each at once, %.1f s; Bill event to "
              "Stacked event:\n", kAcceptors, interval, bills, wall);
  for (auto& a : all) {
    a->driver.StopPolling();
    std::vector<double> ms;
    {
      std::lock_guard<std::mutex> hold(a->lock);
      ms = a->latenciesMs;
    }
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
      std::printf("  acceptor %d (%s): no bill stacked\n", a->index, a->peer->PortArgument().c_str());
      continue;
    }
    std::printf("  acceptor %d: %zu bills, median %.1f ms, p95 %.1f ms, max %.1f ms\n", a->index,
                ms.size(), ms[ms.size() / 2], ms[ms.size() * 95 / 100],
                ms.back());
  }
}

}  // namespace
}  // namespace notarel

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
  const int bills = argc > 2 ? std::atoi(argv[2]) : 40;
  notarel::MeasureIdle(idleSeconds);
  if (bills > 0 && argc <= 3) {
    notarel::MeasureBusy(bills, 100);
    notarel::MeasureBusy(bills, 10);
  }
  for (int i = 3; i < argc; ++i) notarel::MeasureBusy(bills, std::atoi(argv[i]));
  return 0;
}
