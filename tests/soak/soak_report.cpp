#include "soak_report.h"

#include <cstdio>
#include <iterator>
#include <sstream>

#include "soak_rates.h"

namespace notarel::soak {
namespace {

constexpr std::int32_t kFailureEvent = 73;

// With this many bills and the lowest default rate (4 of 1000 requests) a
// kind expects some forty occurrences: none at all is no accident.
constexpr unsigned kEveryKindCycles = 2000;

// Each fault kind: its counter, shared by the emulator and the link, and its rate.
struct FaultKindRate {
  const char* counter;
  unsigned emu::SoakRates::*rate;
};
constexpr FaultKindRate kFaultKinds[] = {
    {"silences_short", &emu::SoakRates::short_silence},
    {"silences_long", &emu::SoakRates::long_silence},
    {"garbage", &emu::SoakRates::garbage},
    {"corrupted", &emu::SoakRates::corrupt},
    {"crc_swapped", &emu::SoakRates::swapcrc},
    {"truncated", &emu::SoakRates::truncate},
    {"short_replies", &emu::SoakRates::short_reply},
};

unsigned long Get(const EmuCounters& emu, const char* name) {
  const auto it = emu.find(name);
  return it == emu.end() ? 0 : it->second;
}

unsigned long Sum(const std::map<std::int32_t, unsigned long>& counts) {
  unsigned long total = 0;
  for (const auto& entry : counts) total += entry.second;
  return total;
}

std::string Counts(const std::map<std::int32_t, unsigned long>& counts, bool hex) {
  std::ostringstream text;
  for (const auto& [code, count] : counts) {
    if (text.tellp() > 0) text << ' ';
    if (hex) {
      text << "0x" << std::hex << std::uppercase << code << std::dec;
    } else {
      text << code;
    }
    text << ':' << count;
  }
  return text.str().empty() ? "none" : text.str();
}

std::string Figures(std::initializer_list<std::pair<const char*, unsigned long>> figures) {
  std::string text;
  for (const auto& [name, value] : figures) {
    if (!text.empty()) text += ' ';
    text += std::string(name) + "=" + std::to_string(value);
  }
  return text;
}

SoakCheck Check(std::string what, bool passed, std::string detail) {
  return SoakCheck{std::move(what), passed, std::move(detail)};
}

// What the driver did with bills in escrow, as the emulator's ledger saw it.
void CheckEscrowAnswers(const EmuCounters& e, const HostTally& h, std::vector<SoakCheck>& out) {
  out.push_back(Check("no Stack1 for a bill the handler refused", Get(e, "stack1_refused") == 0,
                      Figures({{"stack1_refused", Get(e, "stack1_refused")}})));
  out.push_back(Check("no Stack1 for a bill no Bill event offered", Get(e, "stack1_unanswered") == 0,
                      Figures({{"stack1_unanswered", Get(e, "stack1_unanswered")}})));
  out.push_back(Check("no bill stacked without a Bill event that accepted it",
                      Get(e, "stacked_unaccepted") == 0,
                      Figures({{"stacked_unaccepted", Get(e, "stacked_unaccepted")}})));
  out.push_back(Check("no Return for a bill the handler accepted", Get(e, "return_accepted") == 0,
                      Figures({{"return_accepted", Get(e, "return_accepted")}})));
  out.push_back(Check("the emulator held a bill at every Bill event and heard every answer",
                      h.answerRefused == 0 && Get(e, "answers_idle") == 0 &&
                          Get(e, "answers_accept") == h.accepted && Get(e, "answers_refuse") == h.refused,
                      Figures({{"accepted", h.accepted},
                               {"answers_accept", Get(e, "answers_accept")},
                               {"refused", h.refused},
                               {"answers_refuse", Get(e, "answers_refuse")},
                               {"answers_idle", Get(e, "answers_idle")}})));
  out.push_back(Check("every Bill event offered the value of the bill in escrow", h.valueMismatch == 0,
                      Figures({{"value_mismatch", h.valueMismatch}})));
  // An ESCROW read just before a stop may go unoffered: the stopped loop
  // leaves the bill in escrow for the next one, and the stop's inhibit shows it.
  const unsigned long dropped = Get(e, "offers_dropped_unanswered");
  out.push_back(Check("one Bill event for every ESCROW status the driver could read, unless a stop came first",
                      h.bills + dropped == Get(e, "escrow_offers") && Get(e, "offers_ignored") == 0,
                      Figures({{"bill_events", h.bills},
                               {"escrow_offers", Get(e, "escrow_offers")},
                               {"offers_dropped_unanswered", dropped},
                               {"offers_dropped", Get(e, "offers_dropped")},
                               {"offers_ignored", Get(e, "offers_ignored")}})));
}

// What the device was told once the driver stopped, and what the driver did
// after a reply it could not read, as the emulator's ledgers saw it.
void CheckDeviceTold(const EmuCounters& e, const HostTally& h, std::vector<SoakCheck>& out) {
  out.push_back(Check("after every StopPolling and destruction the last inhibit command was inhibit-on",
                      Get(e, "stops") == h.stops && Get(e, "stop_not_inhibited") == 0,
                      Figures({{"stops", h.stops},
                               {"stops_booked", Get(e, "stops")},
                               {"stop_not_inhibited", Get(e, "stop_not_inhibited")}})));
  out.push_back(Check("no enabling command from a stopped loop", Get(e, "enabled_after_stop") == 0,
                      Figures({{"enabled_after_stop", Get(e, "enabled_after_stop")}})));
  out.push_back(Check("every reply the driver could not read was asked again, never acted on",
                      Get(e, "spoiled_acted_on") == 0,
                      Figures({{"spoiled", Get(e, "spoiled")},
                               {"short_replies", Get(e, "short_replies")},
                               {"retried", Get(e, "spoiled_retried")},
                               {"rechecked", Get(e, "spoiled_rechecked")},
                               {"stopped", Get(e, "spoiled_stopped")},
                               {"acted_on", Get(e, "spoiled_acted_on")}})));
}

// The events that report what the device did, against what it did.
void CheckReports(const EmuCounters& e, const HostTally& h, std::vector<SoakCheck>& out) {
  // The checks below take every reply the emulator sent whole as read. One
  // that left after the driver's read had given up was never read (the next
  // exchange's purge drops it), so a run with any says nothing either way.
  out.push_back(Check("every reply reached the line before the driver's read gave up",
                      Get(e, "late_replies") == 0,
                      Figures({{"late_replies", Get(e, "late_replies")},
                               {"longest_wait_ms", Get(e, "longest_wait_ms")}})));
  const unsigned long stacked = Get(e, "stacked");
  const unsigned long hidden = Get(e, "stacked_hidden");
  // Hidden STACKED replies leave stacked - hidden <= events <= stacked. The
  // count is exact, not a bound: a STACKED the driver reads whole always
  // differs from the last status it read, since it must have read the bill's
  // ESCROW whole to stack it, and a hidden one never reaches it. So the events
  // must number exactly stacked - hidden.
  out.push_back(Check("every stacked bill reported by exactly one Stacked event, unless its STACKED was hidden",
                      h.stacked + hidden == stacked,
                      Figures({{"stacked_events", h.stacked}, {"stacked", stacked}, {"stacked_hidden", hidden}})));
  // A loop starts with no status seen: one started during a rejection or a
  // failure reports it again, so the events are counted per loop that read it.
  const unsigned long rejected = Get(e, "rejected");
  const unsigned long rejectHidden = Get(e, "rejecting_hidden");
  const unsigned long rejectReports = Get(e, "rejecting_reports");
  out.push_back(Check("one Reject(23) event for every rejection a loop could read one REJECTING of",
                      Sum(h.rejects) == rejectReports && rejectReports + rejectHidden >= rejected &&
                          h.rejectBadCode == 0,
                      Figures({{"reject_events", Sum(h.rejects)},
                               {"rejecting_reports", rejectReports},
                               {"rejected", rejected},
                               {"rejecting_hidden", rejectHidden},
                               {"bad_code", h.rejectBadCode}})));
  const auto failureEvents = h.errors.count(kFailureEvent) ? h.errors.at(kFailureEvent) : 0;
  const unsigned long failureReports = Get(e, "failure_reports");
  out.push_back(Check("one Error(73) event for every failure a loop read whole, and the Reset after it went through",
                      failureEvents == failureReports && failureReports >= Get(e, "failures") &&
                          h.resetsGivenUp == 0 && h.resets == failureEvents,
                      Figures({{"failure_events", failureEvents},
                               {"failure_reports", failureReports},
                               {"failures", Get(e, "failures")},
                               {"resets", h.resets},
                               {"resets_given_up", h.resetsGivenUp}})));
  out.push_back(Check("every bill in escrow ended stacked or returned",
                      Get(e, "escrowed") == stacked + Get(e, "returned"),
                      Figures({{"escrowed", Get(e, "escrowed")}, {"stacked", stacked}, {"returned", Get(e, "returned")}})));
}

// The fault kinds with their emulator counts, "name=N ..."; a kind that never
// came although its rate is not zero is added to `missing`.
std::string FaultFigures(const EmuCounters& e, const emu::SoakRates& rates, std::string& missing) {
  std::string text;
  for (const FaultKindRate& kind : kFaultKinds) {
    if (!text.empty()) text += ' ';
    text += std::string(kind.counter) + "=" + std::to_string(Get(e, kind.counter));
    if (rates.*kind.rate != 0 && Get(e, kind.counter) == 0) missing += std::string(" ") + kind.counter;
  }
  return text;
}

}  // namespace

void CheckFaults(const EmuCounters& e, const EmuCounters& delivered, unsigned cycles,
                 const std::string& rates, std::vector<SoakCheck>& out) {
  emu::SoakRates mix;
  std::vector<std::string> words;
  std::istringstream split(rates);
  for (std::string word; split >> word;) words.push_back(word);
  std::string error;
  const bool known = emu::ApplySoakRates(words, mix, error);
  std::string missing;
  const std::string figures = FaultFigures(e, mix, missing);
  if (cycles >= kEveryKindCycles && known) {
    out.push_back(Check("every kind of fault the rates allow was injected", missing.empty(),
                        figures + (missing.empty() ? "" : "; none of:" + missing)));
  }
  if (delivered.empty()) return;
  // The silences, the first two kinds, leave nothing on the line; each one
  // swallows at least the request that began it.
  std::string lost;
  for (std::size_t i = 2; i < std::size(kFaultKinds); ++i) {
    const char* counter = kFaultKinds[i].counter;
    if (Get(delivered, counter) != Get(e, counter)) lost += std::string(" ") + counter;
  }
  const unsigned long silences = Get(e, "silences_short") + Get(e, "silences_long");
  if (Get(delivered, "silenced") < silences) lost += " silenced";
  out.push_back(Check("every fault the scenario chose reached the driver's line",
                      lost.empty() && Get(delivered, "other_faults") == 0,
                      "silenced=" + std::to_string(Get(delivered, "silenced")) + " of " +
                          std::to_string(silences) + " silences" + (lost.empty() ? "" : "; differ:" + lost)));
}

EmuCounters ParseEmuCounters(const std::string& line) {
  EmuCounters counters;
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    const auto equals = word.find('=');
    if (equals == std::string::npos || equals + 1 == word.size()) continue;
    const std::string value = word.substr(equals + 1);
    if (value.find_first_not_of("0123456789") != std::string::npos) continue;
    counters[word.substr(0, equals)] = std::stoul(value);
  }
  return counters;
}

std::vector<SoakCheck> EvaluateSoak(const EmuCounters& emu, const HostTally& host,
                                    const std::string& finalStatus) {
  std::vector<SoakCheck> checks;
  checks.push_back(Check("the emulator reported its counters", emu.count("stacked_unaccepted") == 1,
                         emu.empty() ? "no counters" : "counters read"));
  CheckEscrowAnswers(emu, host, checks);
  CheckReports(emu, host, checks);
  CheckDeviceTold(emu, host, checks);
  checks.push_back(Check("the device is inhibited once the last driver is gone",
                         finalStatus.find(" inhibit=1 ") != std::string::npos, finalStatus));
  return checks;
}

void PrintFigures(const EmuCounters& e, const HostTally& h, const EmuCounters& delivered,
                  double seconds) {
  std::printf("duration %.1f s\n", seconds);
  std::printf("cycles: %lu (bills=%lu rejected=%lu failures=%lu powerups=%lu stacker_full=%lu)\n",
              Get(e, "bills") + Get(e, "rejected") + Get(e, "failures") + Get(e, "powerups") +
                  Get(e, "stacker_full"),
              Get(e, "bills"), Get(e, "rejected"), Get(e, "failures"), Get(e, "powerups"),
              Get(e, "stacker_full"));
  std::string none;
  // Over memory a slow reply is drawn all the same but comes at once.
  std::printf("faults injected: %s slowed=%lu%s\n", FaultFigures(e, emu::SoakRates{}, none).c_str(),
              Get(e, "slowed"), delivered.empty() ? "" : " (not held back: no wire)");
  if (!delivered.empty()) {
    std::string line;
    for (const auto& [name, value] : delivered) line += " " + name + "=" + std::to_string(value);
    std::printf("link: on the driver's line:%s\n", line.c_str());
  }
  std::printf("driver: bill_events=%lu accepted=%lu refused=%lu stacked_events=%lu reject_events=%lu "
              "resets=%lu reset_retries=%lu\n",
              h.bills, h.accepted, h.refused, h.stacked, Sum(h.rejects), h.resets, h.resetRetries);
  std::printf("driver: error events by code: %s\n", Counts(h.errors, false).c_str());
  std::printf("driver: failure codes: %s\n", Counts(h.failureCodes, true).c_str());
  std::printf("driver: rejection codes: %s\n", Counts(h.rejects, true).c_str());
  std::string emu;
  for (const auto& [name, value] : e) emu += " " + name + "=" + std::to_string(value);
  std::printf("emulator:%s\n", emu.c_str());
}

int PrintChecks(const std::vector<SoakCheck>& checks) {
  int failed = 0;
  for (const SoakCheck& check : checks) {
    std::printf("%s %s (%s)\n", check.passed ? "ok  " : "FAIL", check.what.c_str(), check.detail.c_str());
    if (!check.passed) ++failed;
  }
  return failed;
}

}  // namespace notarel::soak
