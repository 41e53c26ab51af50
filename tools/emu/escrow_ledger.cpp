#include "escrow_ledger.h"

namespace notarel::emu {

void EscrowLedger::Answer(unsigned long escrow, bool accept) {
  ++(accept ? counters_.answers_accept : counters_.answers_refuse);
  answered_escrow_ = escrow;
  accepted_ = accept;
}

std::optional<bool> EscrowLedger::AnswerFor(unsigned long escrow) const {
  // Escrow numbers start at 1, so 0 means that nothing was answered yet.
  if (answered_escrow_ == 0 || answered_escrow_ != escrow) return std::nullopt;
  return accepted_;
}

std::string EscrowLedger::Stack(unsigned long escrow) {
  const std::optional<bool> answer = AnswerFor(escrow);
  stacking_accepted_ = answer.value_or(false);
  if (!answer) {
    ++counters_.stack1_unanswered;
    return "stack for a bill the host never answered";
  }
  if (!*answer) {
    ++counters_.stack1_refused;
    return "stack for a bill the host refused";
  }
  return {};
}

std::string EscrowLedger::Return(unsigned long escrow) {
  const std::optional<bool> answer = AnswerFor(escrow);
  if (answer && *answer) {
    ++counters_.return_accepted;
    return "return for a bill the host accepted";
  }
  return {};
}

std::string EscrowLedger::Stacked() {
  const bool accepted = stacking_accepted_;
  stacking_accepted_ = false;  // one ACK puts one bill in the box
  if (accepted) return {};
  ++counters_.stacked_unaccepted;
  return "bill in the box without an accepting answer";
}

}  // namespace notarel::emu
