#include "soak_scenario.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace notarel::emu {
namespace {

constexpr unsigned kPerMille = 1000;
constexpr std::uint8_t kFirstBill = 97;
constexpr unsigned kBillCodes = 8;
constexpr std::size_t kMostNoise = 16;

// The device's own rejection and failure codes.
constexpr std::uint8_t kRejections[] = {0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77,
                                        0x78, 0x79, 0x7B, 0x7C, 0x7D, 0x7E};
constexpr std::uint8_t kFailures[] = {0xA2, 0xA5, 0xA6, 0xAB, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3};

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

template <std::size_t N>
std::uint8_t Pick(const std::uint8_t (&codes)[N], unsigned draw) {
  return codes[draw % N];
}

}  // namespace

SoakScenario::SoakScenario(std::uint32_t seed, SoakRates rates) : rates_(rates), rng_(seed) {}

// The modulo of the generator's output, not a library distribution: the
// generator's sequence is the same everywhere, so a seed means the same run.
unsigned SoakScenario::Draw(unsigned bound) {
  return bound == 0 ? 0 : static_cast<unsigned>(rng_() % bound);
}

bool SoakScenario::Draining() const {
  return drain_ordered_ || (rates_.bills != 0 && counters_.bills >= rates_.bills);
}

void SoakScenario::Note(std::string text) {
  if (!text.empty()) notes_.push_back("SOAK " + std::move(text));
}

std::vector<std::string> SoakScenario::TakeNotes() { return std::exchange(notes_, {}); }

std::chrono::milliseconds SoakScenario::SilenceAt() {
  const unsigned draw = Draw(kPerMille);
  if (Draining()) return std::chrono::milliseconds{0};
  const bool isShort = draw < rates_.short_silence;
  if (!isShort && draw >= rates_.short_silence + rates_.long_silence) return std::chrono::milliseconds{0};
  const unsigned most = isShort ? rates_.short_ms : rates_.long_ms;
  const std::chrono::milliseconds length{most / 2 + Draw(most - most / 2 + 1)};
  if (length.count() == 0) return length;
  ++(isShort ? counters_.silences_short : counters_.silences_long);
  Note("silence " + std::to_string(length.count()) + " ms");
  return length;
}

void SoakScenario::BeforeRequest(const Bytes& body, DeviceModel& model) {
  if (body.empty()) return;
  const std::uint8_t status_now = model.CurrentStatus().front();
  const unsigned long escrow = model.Counters().escrowed;
  switch (body[0]) {
    case kCommandStatusRequest:
      OnStatusRequest(model);
      status_escrow_ = model.Counters().escrowed;
      status_last_rejecting_ = model.RejectingRepliesLeft() == 1;
      break;
    case kCommandStack1:
    case kCommandStack2:
      if (status_now == kStatusEscrow) Note(ledger_.Stack(escrow));
      break;
    case kCommandReturn:
      if (status_now == kStatusEscrow) Note(ledger_.Return(escrow));
      break;
    case kCommandAck:
      if (status_now == kStatusVendValid) Note(ledger_.Stacked());
      break;
    default:
      break;
  }
}

void SoakScenario::OnStatusRequest(DeviceModel& model) {
  const std::uint8_t status_now = model.CurrentStatus().front();
  if (status_now == kStatusStackerFull) {
    // A full stacker shows for its number of replies, then is emptied.
    if (full_left_ == 0) {
      model.Clear();
      Note("stacker emptied");
    } else {
      --full_left_;
    }
    return;
  }
  if (Draining() || status_now != kStatusEnable || last_read_status_ != kStatusEnable) return;
  if (pause_left_ > 0) {
    --pause_left_;
    return;
  }
  StartCycle(model);
  pause_left_ = Draw(rates_.pause + 1);
}

void SoakScenario::StartCycle(DeviceModel& model) {
  const unsigned kind = Draw(kPerMille);
  const auto bill = static_cast<std::uint8_t>(kFirstBill + Draw(kBillCodes));
  const unsigned code_draw = Draw(kPerMille);
  unsigned edge = rates_.reject;
  if (kind < edge) {
    const std::uint8_t code = Pick(kRejections, code_draw);
    model.InsertToReject(bill, code, 1 + Draw(rates_.reject_hold));
    Note("bill " + Hex(bill) + " to be rejected with " + Hex(code));
  } else if (kind < (edge += rates_.fail)) {
    const std::uint8_t code = Pick(kFailures, code_draw);
    model.Fail(code);
    Note("failure " + Hex(code));
  } else if (kind < (edge += rates_.powerup)) {
    const auto power_up = static_cast<std::uint8_t>(kStatusPowerUp + code_draw % 3);
    model.PowerUp(power_up);
    ++counters_.powerups;
    Note("power up " + Hex(power_up));
  } else if (kind < (edge += rates_.full)) {
    model.Force(kStatusStackerFull);
    // This request's reply is the first of them.
    full_left_ = Draw(rates_.full_hold);
    ++counters_.stacker_full;
    Note("stacker full");
  } else {
    model.Insert(bill);
    ++counters_.bills;
    Note("bill " + Hex(bill));
  }
}

std::vector<Fault> SoakScenario::FaultsFor(const Bytes& reply_body) {
  const unsigned kind = Draw(kPerMille);
  const unsigned size_draw = Draw(kPerMille);
  const unsigned short_draw = Draw(kPerMille);
  if (Draining()) return {};
  const bool has_data =
      reply_body.size() >= kStatusReplyWithData && StatusCarriesData(reply_body[0]);
  if (has_data && short_draw < rates_.short_reply) {
    ++counters_.short_replies;
    Note("reply cut to its status byte");
    return {Fault{FaultKind::kReply, 0, Bytes{reply_body[0]}}};
  }
  unsigned edge = rates_.garbage;
  if (kind < edge) {
    ++counters_.garbage;
    return {Fault{FaultKind::kGarbage, 1 + size_draw % kMostNoise, {}}};
  }
  if (kind < (edge += rates_.corrupt)) {
    ++counters_.corrupted;
    return {Fault{FaultKind::kCorrupt, 0, {}}};
  }
  if (kind < (edge += rates_.swapcrc)) {
    ++counters_.crc_swapped;
    return {Fault{FaultKind::kSwapCrc, 0, {}}};
  }
  if (kind < (edge += rates_.truncate)) {
    ++counters_.truncated;
    // Anything from nothing at all to all but the last byte.
    const std::size_t frame_size = reply_body.size() + kFrameOverhead;
    return {Fault{FaultKind::kTruncate, size_draw % frame_size, {}}};
  }
  return {};
}

std::chrono::milliseconds SoakScenario::ReplyDelay(const Bytes& request) {
  const unsigned draw = Draw(kPerMille);
  const unsigned amount = Draw(kPerMille);
  if (Draining() || request.empty() || draw >= rates_.slow) return std::chrono::milliseconds{0};
  unsigned most = 0;
  switch (request[0]) {
    case kCommandStatusRequest:
      most = rates_.slow_status_ms;
      break;
    case kCommandWriteInhibit:
    case kCommandWriteEnabled:
      most = rates_.slow_ms;
      break;
    default:
      return std::chrono::milliseconds{0};
  }
  ++counters_.slowed;
  return std::chrono::milliseconds{amount % (most + 1)};
}

// The host's read gives up when no byte has come 150 ms after its request
// (100 ms plus 50 ms for the byte it asks for).
constexpr std::chrono::milliseconds kHostReadTimeout{150};

bool SoakScenario::Released(std::chrono::steady_clock::duration waited) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(waited);
  counters_.longest_wait_ms = std::max<unsigned long>(counters_.longest_wait_ms, static_cast<unsigned long>(ms.count()));
  if (waited < kHostReadTimeout) return false;
  ++counters_.late_replies;
  return true;
}

void SoakScenario::AfterReply(const Bytes& request_body, const Bytes& reply_body, bool intact) {
  if (!intact) {
    ++counters_.spoiled;
    if (!request_body.empty()) spoiled_command_ = request_body[0];
  }
  if (request_body.empty() || request_body[0] != kCommandStatusRequest || reply_body.empty()) return;
  const std::uint8_t status = reply_body[0];
  FollowRejecting(status, intact);
  FollowFailure(status, intact);
  if (intact) {
    last_read_status_ = status;
    if (status == kStatusEscrow) {
      ++counters_.escrow_offers;
      offer_open_ = true;
      offer_answered_ = false;
      late_answer_possible_ = false;
      offer_escrow_ = status_escrow_;
    }
    return;
  }
  if (status == kStatusStacked) {
    ++counters_.stacked_hidden;
    Note("STACKED hidden from the host");
  }
}

// A rejection is hidden only when none of its REJECTING replies was read
// whole, which is known at its last one.
void SoakScenario::FollowRejecting(std::uint8_t status, bool intact) {
  if (status != kStatusRejecting) {
    rejecting_now_ = false;
    return;
  }
  if (!rejecting_now_) rejecting_seen_ = rejecting_reported_ = false;
  rejecting_now_ = true;
  if (intact) {
    rejecting_seen_ = true;
    if (!rejecting_reported_) ++counters_.rejecting_reports;
    rejecting_reported_ = true;
  }
  if (!status_last_rejecting_ || rejecting_seen_) return;
  ++counters_.rejecting_hidden;
  Note("REJECTING hidden from the host");
}

void SoakScenario::FollowFailure(std::uint8_t status, bool intact) {
  if (status != kStatusFailure) {
    failure_reported_ = false;
  } else if (intact && !failure_reported_) {
    ++counters_.failure_reports;
    failure_reported_ = true;
  }
}

void SoakScenario::HostPolling() {
  rejecting_reported_ = false;
  failure_reported_ = false;
}

void SoakScenario::Heard(const Bytes& body) {
  if (body.empty()) return;
  const std::uint8_t code = body[0];
  const bool inhibit_on = code == kCommandWriteInhibit && body.size() >= 2 && (body[1] & 1U) != 0;
  FollowUpSpoiled(code, inhibit_on);
  FollowUpOffer(code, inhibit_on);
}

void SoakScenario::FollowUpSpoiled(std::uint8_t code, bool inhibit_on) {
  if (!spoiled_command_) return;
  const std::uint8_t spoiled = *spoiled_command_;
  spoiled_command_.reset();
  if (code == spoiled) {
    ++counters_.spoiled_retried;
  } else if (code == kCommandStatusRequest) {
    ++counters_.spoiled_rechecked;
  } else if (inhibit_on) {
    ++counters_.spoiled_stopped;
  } else {
    ++counters_.spoiled_acted_on;
    Note("request " + Hex(code) + " after an unreadable reply to " + Hex(spoiled));
  }
}

void SoakScenario::FollowUpOffer(std::uint8_t code, bool inhibit_on) {
  if (!offer_open_) return;
  if (code == kCommandStack1 || code == kCommandStack2 || code == kCommandReturn) {
    offer_open_ = false;
  } else if (inhibit_on) {
    offer_open_ = false;
    ++counters_.offers_dropped;
    if (!offer_answered_) ++counters_.offers_dropped_unanswered;
    late_answer_possible_ = !offer_answered_;
    Note("bill in escrow left as it is: the host stopped");
  } else if (code == kCommandStatusRequest) {
    offer_open_ = false;
    ++counters_.offers_ignored;
    Note("ESCROW read whole and neither stacked nor returned");
  }
}

std::string SoakScenario::Answer(bool accept, const DeviceModel& model) {
  const Bytes status = model.CurrentStatus();
  if (status.front() != kStatusEscrow || status.size() < 2) {
    ledger_.AnswerWithoutBill();
    Note("answer with no bill in escrow");
    return "ERR no bill in escrow";
  }
  ledger_.Answer(model.Counters().escrowed, accept);
  // The stop's inhibit can reach the device while the handler is deciding.
  if (offer_open_) {
    offer_answered_ = true;
  } else if (late_answer_possible_) {
    late_answer_possible_ = false;
    --counters_.offers_dropped_unanswered;
  }
  return "OK bill=" + Hex(status[1]);
}

std::string SoakScenario::FormatCounters() const {
  const SoakCounters& c = counters_;
  const LedgerCounters& l = ledger_.Counters();
  const std::pair<const char*, unsigned long> fields[] = {
      {"bills", c.bills},
      {"powerups", c.powerups},
      {"stacker_full", c.stacker_full},
      {"silences_short", c.silences_short},
      {"silences_long", c.silences_long},
      {"garbage", c.garbage},
      {"spoiled", c.spoiled},
      {"corrupted", c.corrupted},
      {"crc_swapped", c.crc_swapped},
      {"truncated", c.truncated},
      {"escrow_offers", c.escrow_offers},
      {"stacked_hidden", c.stacked_hidden},
      {"rejecting_hidden", c.rejecting_hidden},
      {"rejecting_reports", c.rejecting_reports},
      {"failure_reports", c.failure_reports},
      {"short_replies", c.short_replies},
      {"slowed", c.slowed},
      {"late_replies", c.late_replies},
      {"longest_wait_ms", c.longest_wait_ms},
      {"offers_dropped", c.offers_dropped},
      {"offers_dropped_unanswered", c.offers_dropped_unanswered},
      {"offers_ignored", c.offers_ignored},
      {"spoiled_retried", c.spoiled_retried},
      {"spoiled_rechecked", c.spoiled_rechecked},
      {"spoiled_stopped", c.spoiled_stopped},
      {"spoiled_acted_on", c.spoiled_acted_on},
      {"answers_accept", l.answers_accept},
      {"answers_refuse", l.answers_refuse},
      {"answers_idle", l.answers_idle},
      {"stack1_refused", l.stack1_refused},
      {"stack1_unanswered", l.stack1_unanswered},
      {"return_accepted", l.return_accepted},
      {"stacked_unaccepted", l.stacked_unaccepted},
      {"draining", Draining() ? 1UL : 0UL},
  };
  std::string text;
  for (const auto& [name, value] : fields) {
    if (!text.empty()) text += ' ';
    text += std::string(name) + "=" + std::to_string(value);
  }
  return text;
}

}  // namespace notarel::emu
