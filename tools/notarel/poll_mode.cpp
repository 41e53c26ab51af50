#include "poll_mode.h"

#include <signal.h>

#include <csignal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "cp1251.h"
#include "status_tables.h"

namespace notarel::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

// Ends the wait: time, Ctrl-C, or the end of standard input.
class StopSignal {
 public:
  void Raise() {
    std::lock_guard<std::mutex> hold(lock_);
    raised_ = true;
    wake_.notify_all();
  }
  // Waits in short steps so that Ctrl-C, which cannot notify, is seen too.
  // `step` runs after each short wait, without the lock held.
  template <class Step>
  void Wait(double seconds, Step step) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::unique_lock<std::mutex> lock(lock_);
    while (!raised_ && !interrupted &&
           (seconds <= 0 || std::chrono::steady_clock::now() < deadline)) {
      wake_.wait_for(lock, std::chrono::milliseconds(50));
      lock.unlock();
      step();
      lock.lock();
    }
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  bool raised_ = false;
};

// The bill answers, and everything the handlers print, on the polling thread.
class EventSink {
 public:
  EventSink(const AcceptPolicy& policy, Report& report, std::istream& in, StopSignal& stop)
      : policy_(policy), report_(report), in_(in), stop_(stop) {}

  void Bill(std::int32_t summ, std::int16_t& accept) {
    const bool yes = Decide(summ);
    if (yes) accepted_ += summ;
    accept = yes ? -1 : 0;
    Print("Bill", {{"Summ", std::int64_t{summ}}, {"Accept", yes}});
  }
  void Code(const char* event, std::int32_t code, std::int32_t ext, const std::string& text) {
    Print(event, {{"ErrorCode", std::int64_t{code}},
                  {"ExtErrorCode", std::int64_t{ext}},
                  {"ErrorDescription", text}});
  }
  void Stacked() { Print("Stacked", {}); }
  // Seen by sampling the decoded status between events: reports the device
  // entering an interruption and leaving it.
  void Status(std::uint8_t status) {
    const bool now = IsInterruption(status);
    if (now == inInterruption_ && (!now || status == lastStatus_)) return;
    inInterruption_ = now;
    lastStatus_ = status;
    Print("Status", {{"StatusCode", std::int64_t{status}},
                     {"StatusDescription", std::string(StatusName(status))}});
  }

 private:
  bool Decide(std::int32_t summ) {
    switch (policy_.kind) {
      case AcceptPolicy::Kind::All: return true;
      case AcceptPolicy::Kind::None: return false;
      case AcceptPolicy::Kind::UpTo: return accepted_ + summ <= policy_.limit;
      case AcceptPolicy::Kind::Refuse:
        return std::find(policy_.refused.begin(), policy_.refused.end(), summ) == policy_.refused.end();
      case AcceptPolicy::Kind::Ask: return Ask(summ);
    }
    return false;
  }
  // The polling cycle waits for the answer, as it waits for any handler.
  bool Ask(std::int32_t summ) {
    std::cerr << "Accept a bill of " << summ << "? [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
      stop_.Raise();  // no more answers can come
      return false;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
  }
  void Print(const char* event, const std::vector<std::pair<std::string, Value>>& fields) {
    std::lock_guard<std::mutex> hold(printLock_);
    report_.Record("event", event, fields);
  }

  const AcceptPolicy policy_;
  Report& report_;
  std::istream& in_;
  StopSignal& stop_;
  std::mutex printLock_;
  std::int64_t accepted_ = 0;
  bool inInterruption_ = false;  // read and written on the waiting thread only
  std::uint8_t lastStatus_ = 0;
};

// Raises the signal at the end of standard input. The thread is left behind
// at exit: a read that never ends must not keep the tool alive.
void WatchInputEnd(std::istream& in, const std::shared_ptr<StopSignal>& stop) {
  std::thread([&in, stop] {
    std::string line;
    while (std::getline(in, line)) {
    }
    stop->Raise();
  }).detach();
}

bool ParseRefused(const std::string& list, AcceptPolicy& policy) {
  std::vector<std::int64_t> refused;
  std::istringstream items(list);
  for (std::string item; std::getline(items, item, ',');) {
    Value value;
    if (!ParseValue(ValueType::Int, item, value) || std::get<std::int64_t>(value) < 0) return false;
    refused.push_back(std::get<std::int64_t>(value));
  }
  if (refused.empty() || list.back() == ',') return false;
  policy.kind = AcceptPolicy::Kind::Refuse;
  policy.refused = std::move(refused);
  return true;
}

}  // namespace

bool IsInterruption(std::uint8_t status) {
  return status >= kStatusStackerFull && status <= kStatusCheated;
}

bool ParseAcceptPolicy(const std::string& text, AcceptPolicy& policy) {
  if (text == "all") policy.kind = AcceptPolicy::Kind::All;
  else if (text == "none") policy.kind = AcceptPolicy::Kind::None;
  else if (text == "ask") policy.kind = AcceptPolicy::Kind::Ask;
  else if (text.rfind("upto:", 0) == 0) {
    Value limit;
    if (!ParseValue(ValueType::Int, text.substr(5), limit) || std::get<std::int64_t>(limit) < 0) {
      return false;
    }
    policy.kind = AcceptPolicy::Kind::UpTo;
    policy.limit = std::get<std::int64_t>(limit);
  } else if (text.rfind("refuse:", 0) == 0) {
    return ParseRefused(text.substr(7), policy);
  } else {
    return false;
  }
  return true;
}

bool RunPolling(TDriver& driver, const AcceptPolicy& policy, double seconds, Report& report,
                std::istream& in) {
  auto stop = std::make_shared<StopSignal>();
  // The sink lives as long as the driver may call it: the driver's own
  // destruction waits for the loop, and the sink is kept alive past it.
  static std::shared_ptr<EventSink> keep;
  keep = std::make_shared<EventSink>(policy, report, in, *stop);
  auto sink = keep;
  driver.SetOnBill([sink](std::int32_t summ, std::int16_t& accept) { sink->Bill(summ, accept); });
  driver.SetOnError([sink](std::int32_t c, std::int32_t e, const std::string& t) { sink->Code("Error", c, e, t); });
  driver.SetOnReject([sink](std::int32_t c, std::int32_t e, const std::string& t) { sink->Code("Reject", c, e, t); });
  driver.SetOnStacked([sink](TDriver&) { sink->Stacked(); });

  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  if (seconds <= 0 && policy.kind != AcceptPolicy::Kind::Ask) WatchInputEnd(in, stop);

  const Member& start = *FindMember("StartPolling");
  const bool started = driver.StartPolling();
  report.Method(start, started, driver);
  if (started) stop->Wait(seconds, [&] { sink->Status(driver.StatusCode()); });
  const bool stopped = driver.StopPolling();
  report.Method(*FindMember("StopPolling"), stopped, driver);
  return started && stopped;
}

}  // namespace notarel::cli
