#pragma once
// TCommandLogic: what the command page writes after its commands, without
// windows: the status lines of a status request and the change lines of the
// status poll loop.
#include <string>

#include "line_writer.h"
#include "notarel2.h"

class TCommandLogic {
 public:
  TCommandLogic(TNotarel2& driver, TLineWriter write) : FDriver(driver), FWrite(std::move(write)) {}

  // After a successful ReadStatus: the code, its description and, for an
  // escrow, a rejection or a failure, the lines that belong to it.
  void ShowStatus();

  // The status poll loop's pass: a status request; on success with a code
  // other than `lastCode`, one line "<code>h, <description>" and `lastCode`
  // takes the new code. A failed request writes nothing.
  void PollPass(long& lastCode);

 private:
  TNotarel2& FDriver;
  TLineWriter FWrite;
};
