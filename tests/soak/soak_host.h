#pragma once
// The application side of the soak: makes drivers set up the way a point of
// sale would set them up, answers their events, and counts what it saw.
//
// The Bill handler decides at random (seeded) whether to take a bill, tells
// the emulator that answer (`answer accept|refuse`) and only then returns it
// to the driver. The emulator replies with the code of the bill it holds in
// escrow, which the handler checks against the value the driver offered, and
// it books every later Stack1 and Return against that answer (see the
// emulator's escrow ledger). The Error handler resets the device after a
// FAILURE report, as an application must, since the driver does not.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "driver.h"
#include "soak_link.h"
#include "soak_options.h"

namespace notarel::soak {

// One Bill event: the bill the emulator held, the value offered, the answer.
struct BillRecord {
  int code = 0;  // -1 when the emulator held no bill
  std::int32_t summ = 0;
  bool accepted = false;
};

struct HostTally {
  unsigned long bills = 0;
  unsigned long accepted = 0;
  unsigned long refused = 0;
  unsigned long valueMismatch = 0;   // offered value differs from the held bill's value
  unsigned long answerRefused = 0;   // the emulator held no bill when asked
  unsigned long stacked = 0;
  std::map<std::int32_t, unsigned long> rejects;       // Reject events by rejection code
  unsigned long rejectBadCode = 0;                     // Reject events whose code is not 23
  std::map<std::int32_t, unsigned long> errors;        // Error events by code
  std::map<std::int32_t, unsigned long> failureCodes;  // Error(73) events by failure code
  unsigned long resets = 0;          // Reset commands after FAILURE that succeeded
  unsigned long resetRetries = 0;    // Reset commands that failed and were sent again
  unsigned long resetsGivenUp = 0;
  unsigned long stops = 0;           // StopPolling calls and destructions, each told to the emulator
  std::vector<BillRecord> record;
};

class SoakHost {
 public:
  SoakHost(SoakLink& link, const SoakOptions& options);

  // A driver on the link's port with the defaults, Russia selected, the
  // soak's interval and time-out, bills enabled and this host's handlers.
  std::unique_ptr<TDriver> MakeDriver();

  // One control line to the emulator; the handlers use the same channel.
  std::string Emu(const std::string& line);

  // Polling started and stopped, and the driver destroyed, with the emulator
  // told of each (`host polling` before, `host stopped` after), so that its
  // ledger can check what the device was last told once the driver stopped.
  void Start(TDriver& driver);
  void Stop(TDriver& driver);
  void Destroy(std::unique_ptr<TDriver>& driver);

  HostTally Tally() const;
  // Resets after a FAILURE report that never went through: the device stays
  // in FAILURE, so no more cycles can start.
  unsigned long ResetsGivenUp() const;

 private:
  void OnBill(std::int32_t summ, std::int16_t& accept);
  void OnError(TDriver& driver, std::int32_t code, std::int32_t extCode);
  void OnReject(std::int32_t code, std::int32_t extCode);
  void ResetAfterFailure(TDriver& driver);
  bool DrawAccept();

  SoakLink& link_;
  const SoakOptions options_;
  std::map<int, std::int32_t> billValues_;  // bill code -> value in the Russian table
  std::mutex linkLock_;
  mutable std::mutex tallyLock_;
  std::mt19937 answers_;
  HostTally tally_;
};

}  // namespace notarel::soak
