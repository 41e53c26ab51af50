#include "soak_host.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace notarel::soak {
namespace {

constexpr int kFirstBill = 97;
constexpr int kLastBill = 104;
// The event codes of a rejection and of a device failure: the status bytes.
constexpr std::int32_t kRejectEvent = 23;
constexpr std::int32_t kFailureEvent = 73;
// A Reset may go unanswered while the device is silent. Tries are bounded by
// time, not by number: over the pty each failed try costs a read time-out,
// over memory nothing, so twenty tries there can all fall into one silence.
// The longest silence of the default rates lasts 450 ms.
constexpr std::chrono::seconds kResetPatience{3};
constexpr std::chrono::milliseconds kResetPause{1};
constexpr unsigned kPerMille = 1000;

// The bill code in the emulator's "OK bill=0xNN", or -1.
int HeldBill(const std::string& reply) {
  const std::string prefix = "OK bill=";
  if (reply.rfind(prefix, 0) != 0) return -1;
  return static_cast<int>(std::strtol(reply.c_str() + prefix.size(), nullptr, 16));
}

// Defaults, the first country (Russia) selected: what an application does first.
void SelectRussia(TDriver& driver) {
  driver.SetDefaults();
  driver.SetCountryIndex(0);
  driver.CountryByIndex();
}

}  // namespace

SoakHost::SoakHost(SoakLink& link, const SoakOptions& options)
    : link_(link), options_(options), answers_(options.seed) {
  // The values the driver should offer, taken from the driver's own table.
  TDriver probe;
  SelectRussia(probe);
  for (int code = kFirstBill; code <= kLastBill; ++code) {
    probe.SetBillCode(code);
    probe.GetBillSumm();
    billValues_[code] = probe.BillSumm();
  }
}

std::unique_ptr<TDriver> SoakHost::MakeDriver() {
  auto driver = link_.NewDriver();
  SelectRussia(*driver);
  driver->SetPollingInterval(options_.interval);
  driver->SetErrorTimeout(options_.errorTimeout);
  driver->SetBillEnabled(true);
  TDriver* self = driver.get();
  driver->SetOnBill([this](std::int32_t summ, std::int16_t& accept) { OnBill(summ, accept); });
  driver->SetOnError([this, self](std::int32_t code, std::int32_t ext, const std::string&) {
    OnError(*self, code, ext);
  });
  driver->SetOnReject([this](std::int32_t code, std::int32_t ext, const std::string&) { OnReject(code, ext); });
  driver->SetOnStacked([this](TDriver&) {
    std::lock_guard<std::mutex> hold(tallyLock_);
    ++tally_.stacked;
  });
  return driver;
}

std::string SoakHost::Emu(const std::string& line) {
  std::lock_guard<std::mutex> hold(linkLock_);
  return link_.Command(line);
}

void SoakHost::Start(TDriver& driver) {
  Emu("host polling");
  driver.StartPolling();
}

void SoakHost::Stop(TDriver& driver) {
  driver.StopPolling();
  Emu("host stopped");
  std::lock_guard<std::mutex> hold(tallyLock_);
  ++tally_.stops;
}

void SoakHost::Destroy(std::unique_ptr<TDriver>& driver) {
  driver.reset();
  Emu("host stopped");
  std::lock_guard<std::mutex> hold(tallyLock_);
  ++tally_.stops;
}

HostTally SoakHost::Tally() const {
  std::lock_guard<std::mutex> hold(tallyLock_);
  return tally_;
}

unsigned long SoakHost::ResetsGivenUp() const {
  std::lock_guard<std::mutex> hold(tallyLock_);
  return tally_.resetsGivenUp;
}

bool SoakHost::DrawAccept() {
  std::lock_guard<std::mutex> hold(tallyLock_);
  return answers_() % kPerMille < options_.acceptPerMille;
}

void SoakHost::OnBill(std::int32_t summ, std::int16_t& accept) {
  const bool take = DrawAccept();
  // The emulator learns the answer before the driver can act on it.
  const int held = HeldBill(Emu(take ? "answer accept" : "answer refuse"));
  std::lock_guard<std::mutex> hold(tallyLock_);
  ++tally_.bills;
  ++(take ? tally_.accepted : tally_.refused);
  if (held < 0) {
    ++tally_.answerRefused;
  } else {
    const auto value = billValues_.find(held);
    if (value == billValues_.end() || value->second != summ) ++tally_.valueMismatch;
  }
  if (!options_.recordPath.empty()) tally_.record.push_back({held, summ, take});
  accept = take ? -1 : 0;
}

void SoakHost::OnError(TDriver& driver, std::int32_t code, std::int32_t extCode) {
  {
    std::lock_guard<std::mutex> hold(tallyLock_);
    ++tally_.errors[code];
    if (code == kFailureEvent) ++tally_.failureCodes[extCode];
  }
  if (code == kFailureEvent) ResetAfterFailure(driver);
}

void SoakHost::ResetAfterFailure(TDriver& driver) {
  const auto giveUp = std::chrono::steady_clock::now() + kResetPatience;
  unsigned long retries = 0;
  bool done = driver.Reset();
  for (; !done && std::chrono::steady_clock::now() < giveUp; ++retries) {
    std::this_thread::sleep_for(kResetPause);
    done = driver.Reset();
  }
  std::lock_guard<std::mutex> hold(tallyLock_);
  tally_.resetRetries += retries;
  if (done) {
    ++tally_.resets;
  } else {
    ++tally_.resetsGivenUp;
  }
}

void SoakHost::OnReject(std::int32_t code, std::int32_t extCode) {
  std::lock_guard<std::mutex> hold(tallyLock_);
  ++tally_.rejects[extCode];
  if (code != kRejectEvent) ++tally_.rejectBadCode;
}

}  // namespace notarel::soak
