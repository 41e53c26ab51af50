#pragma once
// TAcceptLogic: what the accept page does on the control, without windows.
// A run opens the port, then each pass requests the status and reacts to a
// new status code with the next command of the acceptance cycle, writing a
// trace and adding up the accepted sum.
#include <string>

#include "line_writer.h"
#include "notarel2.h"

class TAcceptLogic {
 public:
  TAcceptLogic(TNotarel2& driver, TLineWriter write) : FDriver(driver), FWrite(std::move(write)) {}

  // "Сумма, <currency>:" with the currency text of index 2.
  std::wstring SummCaption();

  // Starts a run: sum and last status to 0, the port closed and opened again.
  // Returns whether the port is open.
  bool Start();
  // One pass: the status request and the action on a new status code.
  // `accept` says whether a bill in escrow is stacked or returned.
  void PollDevice(bool accept);
  // Ends a run: closes the port.
  void Finish();

  long Total() const { return FTotal; }
  // How many bills the run has added to the sum (each VEND VALID acted on),
  // so that the page shows the sum anew after each, even a bill worth 0.
  int Added() const { return FAdded; }
  long LastStatus() const { return FLastStatus; }

 private:
  void AddResult(bool success);
  void WriteFailure();
  void OnEscrow(bool accept);
  void OnVendValid();
  void OnInhibit();

  TNotarel2& FDriver;
  TLineWriter FWrite;
  long FTotal = 0;
  long FLastStatus = 0;
  int FAdded = 0;
};
