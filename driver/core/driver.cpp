// The driver facade: device commands through the link, with the values they
// read back kept here; the tables, the settings file, the search and the
// poller reached through their parts, with the outcome recorded as the result.
#include "driver.h"

#include <stdexcept>

#include "cp1251.h"
#include "device_search.h"
#include "result_codes.h"
#include "settings_file.h"
#include "status_tables.h"

namespace notarel {
namespace {

constexpr std::uint8_t kAllDenominations = 0xFF;
// Tries of StopPolling's inhibit when the device's answer cannot be read.
constexpr int kStopInhibitAttempts = 3;

// Stores a value that a command returned; part of a chain of && after it.
template <class T, class V>
bool Store(std::atomic<T>& field, V value) {
  field.store(value);
  return true;
}

template <class T>
bool Store(Guarded<T>& field, T value) {
  field.Set(std::move(value));
  return true;
}

}  // namespace

TDriver::TDriver() : TDriver(PlatformSerial()) {}

TDriver::TDriver(std::shared_ptr<TSerialBackend> backend)
    : link_(std::move(backend)),
      tables_(SettingsFileNameFor(ModulePath())),
      poller_(*this, DriverLock) {}

TDriver::~TDriver() {
  poller_.BeginDestruction();
  // Stops the loop and tells the device to inhibit: it must stop accepting
  // bills once nobody listens for them.
  StopPolling();
  // The loop may still be finishing its last cycle; nothing it uses may go first.
  poller_.AwaitEnd();
}

bool TDriver::Denomination(int index) const {
  if (index < 1 || index > 8) throw std::out_of_range(Utf8ToCp1251("Неверное значение индекса"));
  return (denominationMask_.load() >> (index - 1)) & 1U;
}

void TDriver::SetDenomination(int index, bool value) {
  if (index < 1 || index > 8) throw std::out_of_range(Utf8ToCp1251("Неверное значение индекса"));
  const auto bit = static_cast<std::uint8_t>(1U << (index - 1));
  if (value) {
    denominationMask_.fetch_or(bit);
  } else {
    denominationMask_.fetch_and(static_cast<std::uint8_t>(~bit));
  }
}

std::string TDriver::DeviceCountryCode() const {
  const std::string model = ModelID();
  return model.size() > 2 ? model.substr(2, 3) : std::string();
}

// Device commands.

bool TDriver::ControlCommand(std::uint8_t code) {
  return DeviceOperation([&] { return link_.Control(code); });
}

bool TDriver::Ack() {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  return link_.SendAck();
}

bool TDriver::WriteEnabledDenominations() { return SendEnabledMask(DenominationMask()); }

bool TDriver::SendEnabledMask(std::uint8_t mask) {
  std::uint8_t echo = 0;
  return DeviceOperation(
      [&] { return link_.WriteEnabledMask(mask, echo) && Store(denominationMask_, echo); });
}

bool TDriver::ReadEnabledDenominations() {
  std::uint8_t mask = 0;
  return DeviceOperation(
      [&] { return link_.ReadEnabledMask(mask) && Store(denominationMask_, mask); });
}

bool TDriver::WriteValidatedDenominations() {
  std::uint8_t echo = 0;
  return DeviceOperation([&] {
    return link_.WriteValidatedMask(DenominationMask(), echo) && Store(denominationMask_, echo);
  });
}

bool TDriver::ReadValidatedDenominations() {
  std::uint8_t mask = 0;
  return DeviceOperation(
      [&] { return link_.ReadValidatedMask(mask) && Store(denominationMask_, mask); });
}

bool TDriver::WriteInhibitStatus() { return SendInhibit(InhibitStatus()); }

bool TDriver::SendInhibit(bool inhibit) {
  bool echo = false;
  return DeviceOperation(
      [&] { return link_.WriteInhibit(inhibit, echo) && Store(inhibitStatus_, echo); });
}

bool TDriver::ReadInhibitStatus() {
  bool inhibit = false;
  return DeviceOperation(
      [&] { return link_.ReadInhibit(inhibit) && Store(inhibitStatus_, inhibit); });
}

bool TDriver::WriteDirection() {
  std::uint8_t echo = 0;
  return DeviceOperation([&] {
    return link_.WriteDirection(DirectionValue(), echo) && Store(directionValue_, echo);
  });
}

bool TDriver::ReadDirection() {
  std::uint8_t direction = 0;
  return DeviceOperation(
      [&] { return link_.ReadDirection(direction) && Store(directionValue_, direction); });
}

bool TDriver::WriteOptionalSettings() {
  std::uint16_t echo = 0;
  return DeviceOperation([&] {
    return link_.WriteOptionalSettings(OptionalSettings(), echo) && Store(optionalSettings_, echo);
  });
}

bool TDriver::ReadOptionalSettings() {
  std::uint16_t settings = 0;
  return DeviceOperation([&] {
    return link_.ReadOptionalSettings(settings) && Store(optionalSettings_, settings);
  });
}

bool TDriver::ReadModelID() {
  std::string model;
  return DeviceOperation([&] { return link_.ReadModelID(model) && Store(modelId_, model); });
}

bool TDriver::ReadBootVersion() {
  std::string version;
  return DeviceOperation(
      [&] { return link_.ReadBootVersion(version) && Store(bootVersion_, version); });
}

// The status request and the decoding of its reply.

void TDriver::DecodeStatusData(std::uint8_t status, std::uint8_t data) {
  const std::string name = StatusName(status);
  switch (status) {
    case kStatusEscrow:
      denomination_.store(data);
      billCode_.store(data);
      break;
    case kStatusRejecting:
      rejectionCode_.store(data);
      rejectionDescription_.Set(notarel::RejectionDescription(data));
      statusDescription_.Set(name + ": " + notarel::RejectionDescription(data));
      break;
    case kStatusFailure:
      failureCode_.store(data);
      failureDescription_.Set(notarel::FailureDescription(data));
      statusDescription_.Set(name + ": " + notarel::FailureDescription(data));
      break;
    default:
      break;
  }
}

// A reply without its data byte still sets the fields (the byte taken as 0);
// the result is then -6.
bool TDriver::ReadStatus() {
  return DeviceOperation([&] {
    TStatusReply reply;
    if (!link_.ReadStatus(reply)) return false;
    statusCode_.store(reply.status);
    statusDescription_.Set(StatusName(reply.status));
    DecodeStatusData(reply.status, reply.data);
    return reply.complete;
  });
}

// Country and bill tables.

bool TDriver::CountryByIndex() { return tables_.Countries().SelectByIndex(); }

bool TDriver::CountryByCode() { return RecordCode(tables_.SelectByCode()); }

bool TDriver::CountryByCurrencyName() { return RecordCode(tables_.SelectByCurrencyName()); }

bool TDriver::GetCountryParams() { return RecordCode(tables_.ReadCountryParams()); }

bool TDriver::GetBillSumm() { return tables_.LookUpBill(BillCode()); }

bool TDriver::RecordCode(std::int32_t code) {
  if (code == kResultOk) return ClearResult();
  SetResult(code);
  return false;
}

// Settings file.

void TDriver::SetDefaults() {
  SetPortNumber(1);
  SetBaudRate(9600);
  tables_.Countries().LoadDefaults();
}

bool TDriver::LoadParams() {
  SetDefaults();
  try {
    return RecordCode(tables_.Load(link_));
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

bool TDriver::SaveParams() {
  try {
    tables_.Save(link_);
    return ClearResult();
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

bool TDriver::FindDevice() {
  return SearchDevice(link_, [this] { return ReadModelID(); });
}

// Polling.

bool TDriver::StartPolling() {
  try {
    if (!poller_.Start()) return false;
    return ClearResult();
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

bool TDriver::StopPolling() {
  try {
    poller_.Stop();
    return ClearResult();  // the inhibit's outcome does not change the result
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

TPollTarget::TStatusRead TDriver::PollStatus() {
  TStatusRead shot;
  shot.ok = ReadStatus();
  shot.status = StatusCode();
  const TResult result = Result();
  shot.resultCode = result.code;
  shot.resultText = result.description;
  return shot;
}

bool TDriver::PollCommand(TLoopCommand command) {
  switch (command) {
    case TLoopCommand::kInhibit:
      SetInhibitStatus(true);
      return SendInhibit(true);
    case TLoopCommand::kEnable:
      return EnableAcceptance();
    case TLoopCommand::kReturn:
      return Return();
    case TLoopCommand::kStack:
      return Stack1();
    case TLoopCommand::kAck:
      return Ack();
    case TLoopCommand::kReset:
      return Reset();
  }
  return false;
}

// The mask and the flag sent are the loop's own, never what a client may
// have stored in the fields meanwhile.
bool TDriver::EnableAcceptance() {
  for (int i = 1; i <= 8; ++i) SetDenomination(i, true);
  if (!SendEnabledMask(kAllDenominations)) return false;
  SetInhibitStatus(false);
  return SendInhibit(false);
}

std::int32_t TDriver::PollBillValue() {
  GetBillSumm();
  return BillSumm();
}

TPollTarget::TCodeReport TDriver::PollReport(std::uint8_t status) {
  if (status == kStatusRejecting) return {RejectionCode(), RejectionDescription()};
  return {FailureCode(), FailureDescription()};
}

// A device that answered but could not be understood is asked again; a
// silent one or a port that does not open is not kept waiting for.
void TDriver::PollStopInhibit() {
  SetInhibitStatus(true);
  for (int attempt = 0; attempt < kStopInhibitAttempts; ++attempt) {
    if (SendInhibit(true)) break;
    const std::int32_t code = ResultCode();
    if (code == kResultNoLink || code == kResultPortOpenError || !PortOpened()) break;
  }
  SetInhibitStatus(true);
}

void TDriver::PollFailed(const std::exception& error) {
  std::lock_guard<std::recursive_mutex> hold(DriverLock);
  HandleException(error);
}

}  // namespace notarel
