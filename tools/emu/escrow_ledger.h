#pragma once
// The host's answers for bills in escrow, set against the commands that reach
// the device, so that a soak can tell exactly whether the host stacked a bill
// it had refused or never offered.
//
// The device cannot see what the host's application decided, so the
// application states each answer on the control side (`answer accept|refuse`)
// before it returns it to its driver. The driver sends Stack1 or Return only
// after that, and the emulator serves the control side and the line from one
// loop, so whenever a Stack1 or Return reaches the device the ledger already
// holds the latest answer given for the bill in escrow. A bill is known by its
// escrow number (the device's escrowed counter), so an answer never carries
// over to the next bill. Pure: the caller passes the device's state.
#include <cstdint>
#include <optional>
#include <string>

namespace notarel::emu {

struct LedgerCounters {
  unsigned long answers_accept = 0;
  unsigned long answers_refuse = 0;
  unsigned long answers_idle = 0;        // answers given with no bill in escrow
  unsigned long stack1_refused = 0;      // Stack1 for a bill whose latest answer was refuse
  unsigned long stack1_unanswered = 0;   // Stack1 for a bill nobody answered
  unsigned long return_accepted = 0;     // Return for a bill whose latest answer was accept
  unsigned long stacked_unaccepted = 0;  // bills that reached the box without an accepting answer
};

class EscrowLedger {
 public:
  // The host's answer for escrow number `escrow`.
  void Answer(unsigned long escrow, bool accept);
  void AnswerWithoutBill() { ++counters_.answers_idle; }

  // A Stack1 or Stack2 that takes escrow number `escrow` towards the box.
  // Returns why it should not have come, or an empty text.
  std::string Stack(unsigned long escrow);
  // A Return that hands escrow number `escrow` back.
  std::string Return(unsigned long escrow);
  // The host's ACK of VEND VALID: the bill that was stacked last is in the box.
  std::string Stacked();

  const LedgerCounters& Counters() const { return counters_; }

 private:
  // The latest answer for this escrow number, if there was one.
  std::optional<bool> AnswerFor(unsigned long escrow) const;

  LedgerCounters counters_;
  unsigned long answered_escrow_ = 0;
  bool accepted_ = false;
  bool stacking_accepted_ = false;
};

}  // namespace notarel::emu
