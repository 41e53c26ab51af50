// polling_soak: the driver's polling loop for thousands of bill cycles against
// the emulator's soak scenario (bills, rejections, failures, power-ups, a full
// stacker, spoiled replies and silences, all at random from a seed), either
// the emulator program on a pseudo-terminal or, for millions of cycles, its
// device model in this process behind a serial link in memory.
//
// The run has four phases, bills flowing in all of them: one driver polling
// steadily; StopPolling and StartPolling in quick alternation from this
// thread; drivers destroyed while they poll; and a last driver that polls
// until the emulator, having put in its number of bills, is idle again. Then
// the figures of both sides are printed and checked; the exit status is 0 when
// every check passed, 1 when one failed, 2 for a bad command line and 3 when
// the watchdog ended a run that did not finish in time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "soak_host.h"
#include "soak_link.h"
#include "soak_options.h"
#include "soak_report.h"
#include "watchdog.h"

namespace notarel::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::uint8_t kEnabledStatus = 0x11;

// How long one kind of client call took: the longest and the total, in ms.
struct CallTimes {
  double longest = 0;
  double total = 0;
  unsigned long calls = 0;

  template <class Call>
  void Time(Call call) {
    const auto start = Clock::now();
    call();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    longest = std::max(longest, ms);
    total += ms;
    ++calls;
  }
  void Print(const char* name) const {
    std::printf("client: %s calls=%lu mean=%.2f ms longest=%.1f ms\n", name, calls,
                calls ? total / static_cast<double>(calls) : 0.0, longest);
  }
};

// A run that can never finish: the phases end, and the checks tell why.
struct SoakStuck : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class SoakRun {
 public:
  SoakRun(SoakHost& host, const SoakLink& link, Watchdog& watchdog, const SoakOptions& options)
      : host_(host), link_(link), watchdog_(watchdog), options_(options), timing_(options.seed) {}

  // Runs every phase; returns the number of failed checks.
  int Run();

 private:
  unsigned long BillsPut();
  void ThrowIfStuck() const;
  void Phases();
  void WaitForBills(unsigned long target);
  void StopStartPhase(TDriver& driver, unsigned long target);
  void DestructionPhase(unsigned long target);
  void DrainPhase();
  void Sleep(unsigned mostMs) { std::this_thread::sleep_for(std::chrono::milliseconds(timing_() % (mostMs + 1))); }
  void WriteRecord(const HostTally& tally) const;

  SoakHost& host_;
  const SoakLink& link_;
  Watchdog& watchdog_;
  const SoakOptions options_;
  std::mt19937 timing_;
  CallTimes stopCalls_;
  CallTimes startCalls_;
  CallTimes destructions_;
  Clock::time_point nextProgress_ = Clock::now();
};

// Also tells the watchdog that the device is still being talked to, and
// prints a progress line now and then for a long run's log.
unsigned long SoakRun::BillsPut() {
  ThrowIfStuck();
  EmuCounters counters = ParseEmuCounters(host_.Emu("counters"));
  watchdog_.Progress(counters["requests"]);
  if (options_.progressSeconds != 0 && Clock::now() >= nextProgress_) {
    nextProgress_ = Clock::now() + std::chrono::seconds(options_.progressSeconds);
    std::printf("progress: bills=%lu requests=%lu stacked=%lu device %s\n", counters["bills"],
                counters["requests"], counters["stacked"], host_.Emu("status").c_str());
    std::fflush(stdout);
  }
  return counters["bills"];
}

void SoakRun::ThrowIfStuck() const {
  if (host_.ResetsGivenUp() != 0) {
    throw SoakStuck("a Reset after FAILURE never went through: the device stays failed");
  }
}

void SoakRun::WaitForBills(unsigned long target) {
  while (BillsPut() < target) std::this_thread::sleep_for(20ms);
}

// StopPolling and StartPolling from this thread while the loop runs bills,
// at random points of the cycle (a cycle with slow replies takes some tens of
// ms), now and then after longer so that bills get through.
void SoakRun::StopStartPhase(TDriver& driver, unsigned long target) {
  while (BillsPut() < target) {
    for (int round = 0; round < 10; ++round) {
      Sleep(round == 9 ? 80 : 40);
      stopCalls_.Time([&] { host_.Stop(driver); });
      if (timing_() % 3 == 0) Sleep(4);
      startCalls_.Time([&] { host_.Start(driver); });
    }
  }
}

// Each driver polls for a moment and is destroyed while its loop runs.
void SoakRun::DestructionPhase(unsigned long target) {
  while (BillsPut() < target) {
    auto driver = host_.MakeDriver();
    host_.Start(*driver);
    Sleep(80);
    destructions_.Time([&] { host_.Destroy(driver); });
  }
}

// The emulator has put in its last bill; one driver polls until the device is
// idle and the driver has read that, so every event of the run has been fired.
void SoakRun::DrainPhase() {
  WaitForBills(options_.cycles);
  auto driver = host_.MakeDriver();
  host_.Start(*driver);
  for (;;) {
    ThrowIfStuck();
    watchdog_.Progress(ParseEmuCounters(host_.Emu("counters"))["requests"]);
    const bool idle = host_.Emu("status").find("state=0x11 ") != std::string::npos;
    if (idle && driver->LastPollStatus() == kEnabledStatus) break;
    std::this_thread::sleep_for(20ms);
  }
  host_.Destroy(driver);  // waits for the loop, so its handlers have all returned
}

void SoakRun::WriteRecord(const HostTally& tally) const {
  if (options_.recordPath.empty()) return;
  std::ofstream out(options_.recordPath);
  for (const BillRecord& bill : tally.record) {
    out << bill.code << ' ' << bill.summ << ' ' << (bill.accepted ? "accept" : "refuse") << '\n';
  }
}

void SoakRun::Phases() {
  watchdog_.Phase("steady polling");
  auto driver = host_.MakeDriver();
  host_.Start(*driver);
  WaitForBills(options_.cycles / 2);
  watchdog_.Phase("StopPolling and StartPolling in quick alternation");
  StopStartPhase(*driver, options_.cycles * 3UL / 4);
  watchdog_.Phase("destruction while polling");
  host_.Destroy(driver);
  DestructionPhase(options_.cycles);
  watchdog_.Phase("draining");
  DrainPhase();
}

int SoakRun::Run() {
  const std::string soak = "soak " + std::to_string(options_.seed) + " " + options_.rates +
                           " bills=" + std::to_string(options_.cycles);
  const std::string started = host_.Emu(soak);
  if (started != "OK") {
    std::printf("FAIL the emulator refused \"%s\": %s\n", soak.c_str(), started.c_str());
    return 1;
  }
  const auto start = Clock::now();
  int stuck = 0;
  try {
    Phases();
  } catch (const SoakStuck& error) {
    std::printf("FAIL the run ended early: %s\n", error.what());
    stuck = 1;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  watchdog_.Phase("report");
  const std::string finalStatus = host_.Emu("status");
  const EmuCounters emu = ParseEmuCounters(host_.Emu("counters"));
  const HostTally tally = host_.Tally();
  WriteRecord(tally);
  const auto delivered = link_.Delivered();
  PrintFigures(emu, tally, delivered, seconds);
  stopCalls_.Print("StopPolling while polling");
  startCalls_.Print("StartPolling after it");
  destructions_.Print("destruction while polling");
  std::vector<SoakCheck> checks = EvaluateSoak(emu, tally, finalStatus);
  CheckFaults(emu, delivered, options_.cycles, options_.rates, checks);
  return stuck + PrintChecks(checks);
}

// Generous: with the default mix a bill cycle takes some 60 ms, a heavy mix
// of faults makes it seconds, and sanitizers slow everything several times.
std::chrono::seconds WatchdogBound(const SoakOptions& options) {
  if (options.watchdogSeconds != 0) return std::chrono::seconds(options.watchdogSeconds);
  return std::chrono::seconds(120 + options.cycles);
}

// No request reached the device for this long: nothing talks to it any more.
constexpr std::chrono::seconds kStallBound{60};

}  // namespace
}  // namespace notarel::soak

int main(int argc, char** argv) {
  using namespace notarel::soak;
  SoakOptions options;
  std::string error;
  if (!ParseSoakOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "polling_soak: %s\n%s", error.c_str(), kSoakUsage);
    return 2;
  }
  const bool memory = options.link == SoakLinkKind::kMemory;
  std::printf("polling_soak: link=%s cycles=%u seed=%u interval=%u ms error_timeout=%u ms accept=%u/1000\n",
              memory ? "memory" : "pty", options.cycles, options.seed, options.interval,
              options.errorTimeout, options.acceptPerMille);
  std::fflush(stdout);
  Watchdog watchdog(WatchdogBound(options), kStallBound);
  auto link = memory ? StartMemoryLink(options) : StartPtyLink(options);
  if (!link) return 1;
  SoakHost host(*link, options);
  SoakRun run(host, *link, watchdog, options);
  const int failed = run.Run();
  std::printf(failed == 0 ? "PASS\n" : "FAIL %d check(s)\n", failed);
  return failed == 0 ? 0 : 1;
}
