#pragma once
// TDriver: the driver core for one RUD-003 bill acceptor.
//
// A facade over three parts that each own their state: the device link (the
// serial port, the exchange and the result of the last operation), the poller
// (the background loop) and the bill tables with the settings file. The driver
// itself keeps every value read back from the device, setting it from what the
// link returns while it holds DriverLock. Every device operation holds
// DriverLock from the request to the end of the decoding, so the client thread
// and the polling thread never interleave on the wire. The fields below may be
// read from any thread at any time; they always describe the most recent
// exchange of either thread.
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "bill_tables.h"
#include "device_link.h"
#include "device_vocabulary.h"
#include "frame_codec.h"
#include "guarded.h"
#include "poller.h"
#include "recursive_lock.h"
#include "serial_backend.h"

namespace notarel {

class TXmlParser;

class TDriver : private TPollTarget {
 public:
  // Over the machine's serial ports, or over another serial backend.
  TDriver();
  explicit TDriver(std::shared_ptr<TSerialBackend> backend);
  // Tells the device to inhibit acceptance (opening the port if needed), then closes.
  ~TDriver();
  TDriver(const TDriver&) = delete;
  TDriver& operator=(const TDriver&) = delete;

  // The serial port (see TComm).
  bool OpenPort() { return link_.OpenPort(); }
  bool ClosePort() { return link_.ClosePort(); }
  bool PortOpened() const { return link_.PortOpened(); }
  std::int32_t BaudRate() const { return link_.BaudRate(); }
  void SetBaudRate(std::int32_t value) { link_.SetBaudRate(value); }
  std::int32_t PortNumber() const { return link_.PortNumber(); }
  void SetPortNumber(std::int32_t value) { link_.SetPortNumber(value); }
  std::string PortPath() const { return link_.PortPath(); }
  void SetPortPath(std::string path) { link_.SetPortPath(std::move(path)); }
  std::string PortName() const { return link_.PortName(); }
  bool CheckBaudRate() { return link_.CheckBaudRate(); }
  bool EnsureOpen() { return link_.EnsureOpen(); }
  bool ApplyTimeouts() { return link_.ApplyTimeouts(); }
  bool ApplyCommState() { return link_.ApplyCommState(); }
  bool Purge() { return link_.Purge(); }
  bool WritePort(const Bytes& data) { return link_.WritePort(data); }
  bool ReadByte(std::uint8_t& value) { return link_.ReadByte(value); }
  bool ReadBytes(std::size_t n, Bytes& data) { return link_.ReadBytes(n, data); }

  // The result of the last operation.
  std::int32_t ResultCode() const { return link_.ResultCode(); }
  std::string ResultDescription() const { return link_.ResultDescription(); }
  TResult Result() const { return link_.Result(); }
  bool ClearResult() { return link_.ClearResult(); }
  void SetResult(std::int32_t code) { link_.SetResult(code); }
  void SetResult(std::int32_t code, std::string text) { link_.SetResult(code, std::move(text)); }
  void SetSystemError(SystemError error) { link_.SetSystemError(error); }
  bool HandleException(const std::exception& error) { return link_.HandleException(error); }

  // The record of the last exchange.
  std::string Input() const { return link_.Input(); }
  std::string Output() const { return link_.Output(); }
  std::int32_t ExecTime() const { return link_.ExecTime(); }
  Bytes ReplyData() const { return link_.ReplyData(); }

  // Frame exchange. Callers hold DriverLock.
  bool SendFrame(const Bytes& command) { return link_.SendFrame(command); }
  bool ReceiveFrame() { return link_.ReceiveFrame(); }
  bool Exchange(const Bytes& command) { return link_.Exchange(command); }
  bool ExchangeEcho(const Bytes& command) { return link_.ExchangeEcho(command); }
  bool CheckReplyLength(std::size_t minimum) { return link_.CheckReplyLength(minimum); }

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
  TCountries& Countries() { return tables_.Countries(); }
  std::int32_t CountryCount() const { return tables_.Countries().Count(); }
  std::int32_t CountryIndex() const { return tables_.Countries().CountryIndex(); }
  void SetCountryIndex(std::int32_t value) { tables_.Countries().SetCountryIndex(value); }
  std::int32_t CurrentCountryCode() const { return tables_.Countries().CurrentCountryCode(); }
  std::string CountryName() const { return tables_.CountryName(); }
  std::int32_t CountryCode() const { return tables_.CountryCode(); }
  void SetCountryCode(std::int32_t value) { tables_.SetCountryCode(value); }
  std::string CurrencyName() const { return tables_.CurrencyName(); }
  void SetCurrencyName(std::string value) { tables_.SetCurrencyName(std::move(value)); }
  std::int32_t CurrencyIndex() const { return tables_.CurrencyIndex(); }
  void SetCurrencyIndex(std::int32_t value) { tables_.SetCurrencyIndex(value); }
  std::int32_t BillSumm() const { return tables_.BillSumm(); }
  void SetBillSumm(std::int32_t value) { tables_.SetBillSumm(value); }
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
  std::string FileName() const { return tables_.FileName(); }
  void SetFileName(std::string value) { tables_.SetFileName(std::move(value)); }
  // Port 1, 9600 baud, the built-in country tables.
  void SetDefaults();
  // Defaults first, then the file: -12 missing, -13 empty, -8 unreadable or bad.
  bool LoadParams();
  // Writes the file anew, replacing an existing one only once it is whole: -8.
  bool SaveParams();
  // Applies a loaded tree; false when the document element has no child.
  bool ReadSettings(const TXmlParser& parser) { return tables_.ReadSettings(parser, link_); }
  void WriteSettings(TXmlParser& parser) const { tables_.WriteSettings(parser, link_); }

  // Background polling. StartPolling starts the loop unless one runs (waiting
  // first for a loop that is still finishing); StopPolling tells it to end
  // without waiting and inhibits the device. Both return true with code 0,
  // StartPolling false with -8 when no thread can be made. Client thread only.
  bool StartPolling();
  bool StopPolling();
  bool PollingStarted() const { return poller_.Started(); }
  std::uint32_t PollingInterval() const { return poller_.Interval(); }
  void SetPollingInterval(std::uint32_t ms) { poller_.SetInterval(ms); }
  std::uint32_t ErrorTimeout() const { return poller_.ErrorTimeout(); }
  void SetErrorTimeout(std::uint32_t ms) { poller_.SetErrorTimeout(ms); }
  bool BillEnabled() const { return poller_.BillEnabled(); }
  void SetBillEnabled(bool value) { poller_.SetBillEnabled(value); }
  std::uint8_t LastPollStatus() const { return poller_.LastStatus(); }
  // The handler slots (see TPollEvents).
  void SetOnBill(TBillHandler handler) { poller_.SetHandler(&TPollEvents::onBill, handler); }
  void SetOnError(TCodeHandler handler) { poller_.SetHandler(&TPollEvents::onError, handler); }
  void SetOnReject(TCodeHandler handler) { poller_.SetHandler(&TPollEvents::onReject, handler); }
  void SetOnStacked(TStackedHandler handler) {
    poller_.SetHandler(&TPollEvents::onStacked, handler);
  }
  // Installs the wait that StartPolling and the destructor use while a loop
  // that was told to stop is still finishing (its handler may be running).
  // Without one they block; with one they call it repeatedly, with no lock of
  // the driver held, and look again after each call. Set it before polling starts.
  void SetLoopWait(TLoopWait wait) { poller_.SetLoopWait(std::move(wait)); }
  // One cycle of the loop: status request, failure timer, reaction.
  void PollStep() { poller_.Step(); }

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
  void DecodeStatusData(std::uint8_t status, std::uint8_t data);
  // Clears the result for 0, records the code with its message otherwise.
  bool RecordCode(std::int32_t code);
  // What the poller asks of the driver (see TPollTarget).
  TStatusRead PollStatus() override;
  bool PollCommand(TLoopCommand command) override;
  std::int32_t PollBillValue() override;
  TCodeReport PollReport(std::uint8_t status) override;
  void PollStopInhibit() override;
  void PollFailed(const std::exception& error) override;
  TDriver& PollSender() override { return *this; }
  bool EnableAcceptance();

  TDeviceLink link_;
  TBillTables tables_;
  // The values read back from the device.
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
  // Last, so that it goes first: its loop uses everything above.
  TPoller poller_;
};

template <class Body>
bool TDriver::DeviceOperation(Body body) {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  const bool ok = body();
  if (!ok) link_.ClearExecTime();
  return ok;
}

}  // namespace notarel
