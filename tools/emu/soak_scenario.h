#pragma once
// The soak scenario: the device runs bill cycles and troubles by itself, at
// random but reproducibly from a seed, while a host polls it.
//
// Everything happens on the host's requests, never on a clock: on a status
// request with the device idle and enabled a new cycle may start (a bill, a
// bill the device rejects, a failure until Reset, a power-up until Reset, a
// full stacker that empties after a few status requests); any request may
// begin a silence; any reply may be spoiled. Given the seed and the same
// sequence of requests, the device does the same things. Pure: the event loop
// passes the requests, the device model and the bytes that went out.
//
// A new cycle starts only when the last status the host read whole was the
// idle one. The host's driver reports a status when it differs from the last
// status it read, so this keeps two REJECTING or FAILURE statuses from ever
// meeting in the host's eyes with only unreadable replies between them: each
// one reaches the host as a change, and the counters below say exactly how
// many events the host must have seen.
#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "device_model.h"
#include "escrow_ledger.h"
#include "fault_injector.h"
#include "soak_rates.h"

namespace notarel::emu {

struct SoakCounters {
  // Cycles other than rejections and failures, which the device counts itself.
  unsigned long bills = 0;           // plain bills put in, for the host to take or refuse
  unsigned long powerups = 0;
  unsigned long stacker_full = 0;
  unsigned long silences_short = 0;
  unsigned long silences_long = 0;
  unsigned long garbage = 0;         // replies with noise in front, still readable
  unsigned long spoiled = 0;         // replies the host cannot read
  unsigned long corrupted = 0;       // replies with a CRC bit flipped
  unsigned long crc_swapped = 0;     // replies with their CRC bytes exchanged
  unsigned long truncated = 0;       // replies cut short, possibly to nothing
  unsigned long escrow_offers = 0;   // ESCROW replies the host read whole
  unsigned long stacked_hidden = 0;  // STACKED replies spoiled: the host never saw that bill stacked
  unsigned long rejecting_hidden = 0;  // rejections none of whose REJECTING replies the host could read
  // The events the host owes: one for each rejection or failure that one of
  // its polling loops read whole (a loop starts with no status seen, so a
  // loop started during a rejection or failure reports it again).
  unsigned long rejecting_reports = 0;
  unsigned long failure_reports = 0;
  unsigned long short_replies = 0;     // replies cut to their status byte (spoiled ones)
  unsigned long slowed = 0;            // replies held back
  // Replies that reached the line after the host's read time-out, the
  // emulator having been held up by a loaded machine: the host never read
  // them although they count as read, so a run with any is void. And the
  // longest wait of any reply from its request.
  unsigned long late_replies = 0;
  unsigned long longest_wait_ms = 0;
  // ESCROW replies the host read whole and then left without Stack1 or
  // Return because its driver stopped (an inhibit came next); of those, the
  // ones no Bill event had answered. An ESCROW followed by the next status
  // request instead is an offer the host lost.
  unsigned long offers_dropped = 0;
  unsigned long offers_dropped_unanswered = 0;
  unsigned long offers_ignored = 0;
  // The host's next request after a reply it could not read: the same
  // request again, a status request, an inhibit (its driver stopped), or
  // anything else, which acted on what it could not know.
  unsigned long spoiled_retried = 0;
  unsigned long spoiled_rechecked = 0;
  unsigned long spoiled_stopped = 0;
  unsigned long spoiled_acted_on = 0;
};

class SoakScenario {
 public:
  SoakScenario(std::uint32_t seed, SoakRates rates);

  // Every well-formed request the device received, silenced ones included,
  // before anything else sees it.
  void Heard(const Bytes& body);
  // First, for every request the device would serve: the silence that this
  // request begins (it and those that follow go unanswered), or zero.
  std::chrono::milliseconds SilenceAt();
  // Then, before the device sees the request: a status request may start a
  // cycle or empty the stacker; Stack, Return and ACK go into the ledger.
  void BeforeRequest(const Bytes& body, DeviceModel& model);
  // The faults for the device's reply.
  std::vector<Fault> FaultsFor(const Bytes& reply_body);
  // The host starts polling anew (`host polling`).
  void HostPolling();
  // How long the reply to this request is held back.
  std::chrono::milliseconds ReplyDelay(const Bytes& request);
  // The reply went out; intact when the host can read it.
  void AfterReply(const Bytes& request_body, const Bytes& reply_body, bool intact);
  // A reply reached the line `waited` after its request was read; true when
  // that is too late for the host, whose read had given up by then.
  bool Released(std::chrono::steady_clock::duration waited);

  // The host's answer for the bill in escrow: "OK bill=0xNN" or "ERR ...".
  std::string Answer(bool accept, const DeviceModel& model);

  // Nothing new from now on (no cycle, fault or silence); what runs finishes.
  void Drain() { drain_ordered_ = true; }
  bool Draining() const;

  const SoakCounters& Counters() const { return counters_; }
  const LedgerCounters& Ledger() const { return ledger_.Counters(); }
  // "bills=N ... stacked_unaccepted=N draining=0|1"
  std::string FormatCounters() const;
  // What it did since the last call, for the log.
  std::vector<std::string> TakeNotes();

 private:
  unsigned Draw(unsigned bound);  // 0 to bound-1; 0 when bound is 0
  void OnStatusRequest(DeviceModel& model);
  void StartCycle(DeviceModel& model);
  void Note(std::string text);
  void FollowUpSpoiled(std::uint8_t code, bool inhibit_on);
  void FollowUpOffer(std::uint8_t code, bool inhibit_on);
  void FollowRejecting(std::uint8_t status, bool intact);
  void FollowFailure(std::uint8_t status, bool intact);

  SoakRates rates_;
  std::mt19937 rng_;
  SoakCounters counters_;
  EscrowLedger ledger_;
  std::vector<std::string> notes_;
  std::uint8_t last_read_status_ = 0;  // the last status the host read whole
  unsigned pause_left_ = 0;
  unsigned full_left_ = 0;  // STACKER FULL replies still to come
  bool drain_ordered_ = false;
  unsigned long status_escrow_ = 0;  // escrow number at the last status request
  bool status_last_rejecting_ = false;  // its reply is a rejection's last REJECTING
  std::optional<std::uint8_t> spoiled_command_;  // its reply unreadable, the host's next request awaited
  bool offer_open_ = false;          // an ESCROW read whole, no Stack1 or Return yet
  bool offer_answered_ = false;      // ... and a Bill event answered it
  unsigned long offer_escrow_ = 0;
  bool late_answer_possible_ = false;  // dropped unanswered: the handler may still answer
  bool rejecting_now_ = false;       // the device is showing REJECTING
  bool rejecting_seen_ = false;      // ... and the host has read one of them whole
  bool rejecting_reported_ = false;  // ... in its present loop
  bool failure_reported_ = false;    // a FAILURE read whole in the present loop, not yet over
};

}  // namespace notarel::emu
