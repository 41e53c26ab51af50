#pragma once
// TDriver: the driver core for one RUD-003 bill acceptor.
//
// Owns the serial link (as a TComm), the protocol exchanges, every value read
// back from the device and the result of the last operation. Every device
// operation holds DriverLock from the request to the end of the decoding, so
// the client thread and the polling thread never interleave on the wire. The
// fields below may be read from any thread at any time; they always describe
// the most recent exchange of either thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "comm.h"
#include "countries.h"
#include "device_vocabulary.h"
#include "frame_codec.h"
#include "guarded.h"
#include "recursive_lock.h"

namespace notarel {

class TXmlParser;
class TNotifyThread;

// Handler slots of the polling thread, set by the driver's owner. They are
// called on the polling thread without DriverLock held.
// A bill in escrow: its value, and the answer (0 = return it, anything else = stack it).
using TBillHandler = std::function<void(std::int32_t summ, std::int16_t& accept)>;
// A failure or a rejection: code, extended code, description.
using TCodeHandler =
    std::function<void(std::int32_t code, std::int32_t extCode, const std::string& text)>;
class TDriver;
using TStackedHandler = std::function<void(TDriver& driver)>;
// The owner's way for one of its threads to pass time while the driver waits
// there for a polling loop to end: it returns within about `ms` milliseconds,
// or earlier, and may meanwhile do work that a handler of that loop waits for
// (on Windows: serve the messages sent to the thread's windows).
using TLoopWait = std::function<void(std::uint32_t ms)>;

class TDriver : public TComm {
 public:
  TDriver();
  // Tells the device to inhibit acceptance (opening the port if needed), then closes.
  ~TDriver() override;

  // The record of the last exchange.
  std::string Input() const { return input_.Get(); }
  std::string Output() const { return output_.Get(); }
  std::int32_t ExecTime() const { return execTime_.load(); }
  Bytes ReplyData() const { return replyData_.Get(); }

  // Frame exchange. Callers hold DriverLock.
  bool SendFrame(const Bytes& command);
  bool ReceiveFrame();
  bool Exchange(const Bytes& command);
  bool ExchangeEcho(const Bytes& command);
  bool CheckReplyLength(std::size_t minimum);

  // Control commands: the reply must be ACK (0x50); 0x4B gives code 75.
  bool Reset() { return ControlCommand(kCommandReset); }
  bool Stack1() { return ControlCommand(kCommandStack1); }
  bool Stack2() { return ControlCommand(kCommandStack2); }
  bool Return() { return ControlCommand(kCommandReturn); }
  bool Hold() { return ControlCommand(kCommandHold); }
  bool Wait() { return ControlCommand(kCommandWait); }
  // Sends ACK without waiting for a reply and without clearing the result.
  bool Ack();

  // Setting and identification commands: the reply echoes the command byte.
  bool WriteEnabledDenominations();
  bool ReadEnabledDenominations();
  bool WriteValidatedDenominations();
  bool ReadValidatedDenominations();
  bool WriteInhibitStatus();
  bool ReadInhibitStatus();
  bool WriteDirection();
  bool ReadDirection();
  bool WriteOptionalSettings();
  bool ReadOptionalSettings();
  bool ReadModelID();
  bool ReadBootVersion();

  // Status request and its decoding.
  bool ReadStatus();

  // Fields written by the commands; the writes here change only the driver's copy.
  bool Denomination(int index) const;  // index 1 to 8, else std::out_of_range
  void SetDenomination(int index, bool value);
  std::uint8_t DenominationMask() const { return denominationMask_.load(); }
  bool InhibitStatus() const { return inhibitStatus_.load(); }
  void SetInhibitStatus(bool value) { inhibitStatus_.store(value); }
  std::uint8_t DirectionValue() const { return directionValue_.load(); }
  void SetDirectionValue(std::uint8_t value) { directionValue_.store(value); }
  std::uint16_t OptionalSettings() const { return optionalSettings_.load(); }
  void SetOptionalSettings(std::uint16_t value) { optionalSettings_.store(value); }
  std::string ModelID() const { return modelId_.Get(); }
  std::string BootVersion() const { return bootVersion_.Get(); }
  // Up to three characters of ModelID from its third on.
  std::string DeviceCountryCode() const;

  // Decoded status.
  std::uint8_t StatusCode() const { return statusCode_.load(); }
  std::string StatusDescription() const { return statusDescription_.Get(); }
  std::uint8_t DenominationCode() const { return denomination_.load(); }
  std::uint8_t RejectionCode() const { return rejectionCode_.load(); }
  std::string RejectionDescription() const { return rejectionDescription_.Get(); }
  std::uint8_t FailureCode() const { return failureCode_.load(); }
  std::string FailureDescription() const { return failureDescription_.Get(); }
  std::int32_t BillCode() const { return billCode_.load(); }
  void SetBillCode(std::int32_t value) { billCode_.store(value); }

  // Country and bill tables. The polling thread only looks bills up
  // (GetBillSumm); everything else runs on the client's thread.
  TCountries& Countries() { return countries_; }
  std::int32_t CountryCount() const { return countries_.Count(); }
  std::int32_t CountryIndex() const { return countries_.CountryIndex(); }
  void SetCountryIndex(std::int32_t value) { countries_.SetCountryIndex(value); }
  std::int32_t CurrentCountryCode() const { return countries_.CurrentCountryCode(); }
  std::string CountryName() const { return countryName_.Get(); }
  std::int32_t CountryCode() const { return countryCode_.load(); }
  void SetCountryCode(std::int32_t value) { countryCode_.store(value); }
  std::string CurrencyName() const { return currencyName_.Get(); }
  void SetCurrencyName(std::string value) { currencyName_.Set(std::move(value)); }
  std::int32_t CurrencyIndex() const { return currencyIndex_.load(); }
  void SetCurrencyIndex(std::int32_t value) { currencyIndex_.store(value); }
  std::int32_t BillSumm() const { return billSumm_.load(); }
  void SetBillSumm(std::int32_t value) { billSumm_.store(value); }
  // Selects the country at CountryIndex; leaves the result untouched.
  bool CountryByIndex();
  // Selects by CountryCode: -14 when no country has it.
  bool CountryByCode();
  // Selects by CurrencyName (the letter code, exactly): -15 when none has it.
  bool CountryByCurrencyName();
  // Name, code and currency text of the country at CountryIndex: -10, -11.
  bool GetCountryParams();
  // BillSumm := the value of BillCode in the selected table (0 when none);
  // leaves the result untouched. Safe on the polling thread.
  bool GetBillSumm();

  // Settings file.
  std::string FileName() const { return fileName_.Get(); }
  void SetFileName(std::string value) { fileName_.Set(std::move(value)); }
  // Port 1, 9600 baud, the built-in country tables.
  void SetDefaults();
  // Defaults first, then the file: -12 missing, -13 empty, -8 unreadable or bad.
  bool LoadParams();
  // Writes the file anew, replacing an existing one only once it is whole: -8.
  bool SaveParams();
  // Applies a loaded tree; false when the document element has no child.
  bool ReadSettings(const TXmlParser& parser);
  void WriteSettings(TXmlParser& parser) const;

  // Background polling. StartPolling starts the loop unless one runs (waiting
  // first for a loop that is still finishing); StopPolling tells it to end
  // without waiting and inhibits the device. Both return true with code 0,
  // StartPolling false with -8 when no thread can be made. Client thread only.
  bool StartPolling();
  bool StopPolling();
  bool PollingStarted() const;
  std::uint32_t PollingInterval() const { return pollingInterval_.load(); }
  void SetPollingInterval(std::uint32_t ms);
  std::uint32_t ErrorTimeout() const { return errorTimeout_.load(); }
  void SetErrorTimeout(std::uint32_t ms) { errorTimeout_.store(ms); }
  bool BillEnabled() const { return billEnabled_.load(); }
  void SetBillEnabled(bool value) { billEnabled_.store(value); }
  std::uint8_t LastPollStatus() const { return lastPollStatus_.load(); }
  void SetOnBill(TBillHandler handler);
  void SetOnError(TCodeHandler handler);
  void SetOnReject(TCodeHandler handler);
  void SetOnStacked(TStackedHandler handler);
  // Installs the wait that StartPolling and the destructor use while a loop
  // that was told to stop is still finishing (its handler may be running).
  // Without one they block; with one they call it repeatedly, with no lock of
  // the driver held, and look again after each call. Set it before polling starts.
  void SetLoopWait(TLoopWait wait);
  // One cycle of the loop: status request, failure timer, reaction.
  void PollStep();

  // Device search: asks every serial port of the machine, in ascending number,
  // for its model identification; the first that answers becomes PortNumber.
  // The port is closed afterwards and the result is always code 0.
  bool FindDevice();

  // Serialises device exchanges; re-entrant for the thread that holds it.
  RecursiveLock DriverLock;

 private:
  bool ControlCommand(std::uint8_t code);
  // The inhibit and enable writes with the value to send given, so that a
  // sequence of the loop or of StopPolling never sends what another thread
  // has just stored in the field. Each stores the device's echo in the field.
  bool SendInhibit(bool inhibit);
  bool SendEnabledMask(std::uint8_t mask);
  // Runs one device operation under DriverLock; a failure leaves ExecTime 0.
  template <class Body>
  bool DeviceOperation(Body body);
  // The echo exchange of a setting command, checked for its minimum reply length.
  bool EchoCommand(const Bytes& command);
  bool ReadDenominationReply(bool inverted);
  bool ReadOptionalSettingsReply();
  void PollLoop(TNotifyThread& thread);
  // Runs one command of the loop under DriverLock, unless a stop has been
  // asked: then nothing is sent or stored and the result is false.
  template <class Body>
  bool LoopCommand(Body body);
  // StopPolling's two steps: the stop flag and the inhibit as one step under
  // DriverLock, then letting the loop's thread go.
  void StopAndInhibit();
  void ReleaseLoop();
  // Runs the failure timer; reports once a run of failures outlasts ErrorTimeout.
  void TrackReadFailure(std::int32_t code, const std::string& text);
  void ReactToStatus(std::uint8_t status);
  bool InhibitAcceptance();
  bool EnableAcceptance();
  void OfferBill();
  void PauseBetweenCycles(const TNotifyThread& thread);
  // Waits until the loop that StopPolling let go has ended. Returns true when it
  // was revived instead (StartPolling from a handler on that loop's thread).
  bool WaitForFinishingLoop(std::unique_lock<std::mutex>& lock, bool mayRevive);
  // One round of that wait: until the loop signals, or one call of the owner's wait.
  void AwaitLoopSignal(std::unique_lock<std::mutex>& lock);
  template <class Handler, class... Args>
  void CallHandler(const Handler& slot, Args&&... args);
  void DecodeStatusData(std::uint8_t status, std::uint8_t data);

  std::atomic<std::int32_t> execTime_{0};
  Guarded<Bytes> replyData_;
  Guarded<std::string> input_;
  Guarded<std::string> output_;
  Guarded<std::string> modelId_;
  std::atomic<std::uint8_t> statusCode_{0};
  std::atomic<std::uint8_t> failureCode_{0};
  std::atomic<std::uint8_t> denomination_{0};
  Guarded<std::string> bootVersion_;
  std::atomic<std::uint8_t> rejectionCode_{0};
  std::atomic<std::uint8_t> directionValue_{0};
  std::atomic<bool> inhibitStatus_{false};
  std::atomic<std::uint16_t> optionalSettings_{0};
  Guarded<std::string> statusDescription_;
  Guarded<std::string> failureDescription_;
  Guarded<std::string> rejectionDescription_;
  std::atomic<std::uint8_t> denominationMask_{0};
  std::atomic<std::int32_t> billCode_{0};
  Guarded<std::string> countryName_;
  TCountries countries_;
  Guarded<std::string> fileName_;
  std::atomic<std::int32_t> billSumm_{0};
  std::atomic<std::int32_t> countryCode_{0};
  Guarded<std::string> currencyName_;
  std::atomic<std::int32_t> currencyIndex_{0};

  // Polling. Only the client thread starts and stops loops; pollingLock_
  // guards the two thread slots, handlerLock_ the handler slots and the wait.
  mutable std::mutex pollingLock_;
  std::unique_ptr<TNotifyThread> pollThread_;
  std::unique_ptr<TNotifyThread> finishingThread_;
  std::condition_variable loopEnded_;
  // The loop that should go on running; every other loop ends after its cycle.
  std::atomic<const TNotifyThread*> activeLoop_{nullptr};
  // Set under DriverLock together with StopPolling's inhibit; the loop checks
  // it under the same lock before each command, so none of its commands can
  // follow that inhibit. Cleared only when a loop is started or revived.
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> destroying_{false};  // set under pollingLock_ as destruction begins
  std::mutex pauseLock_;
  std::condition_variable pauseWake_;
  std::atomic<std::uint32_t> errorSince_{0};
  std::atomic<std::uint8_t> lastPollStatus_{0};
  std::atomic<std::uint32_t> errorTimeout_{10000};
  std::atomic<bool> billEnabled_{false};
  std::atomic<std::uint32_t> pollingInterval_{100};
  mutable std::mutex handlerLock_;
  TBillHandler onBill_;
  TCodeHandler onError_;
  TCodeHandler onReject_;
  TStackedHandler onStacked_;
  TLoopWait loopWait_;
};

template <class Body>
bool TDriver::DeviceOperation(Body body) {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  const bool ok = body();
  if (!ok) execTime_.store(0);
  return ok;
}

}  // namespace notarel
