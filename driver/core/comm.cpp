#include "comm.h"

#include "result_codes.h"

namespace notarel {
namespace {
constexpr std::uint32_t kQueueSize = 1024;
}

TComm::TComm() : TComm(PlatformSerial()) {}

TComm::TComm(std::shared_ptr<TSerialBackend> backend) : backend_(std::move(backend)) {}

TComm::~TComm() { ClosePort(); }

std::string TComm::PortName() const {
  std::string path = portPath_.Get();
  return path.empty() ? serial::PortName(portNumber_.load()) : path;
}

bool TComm::ClearResult() {
  SetResult(kResultOk);
  return true;
}

void TComm::SetResult(std::int32_t code) { SetResult(code, ResultMessage(code)); }

void TComm::SetResult(std::int32_t code, std::string description) {
  result_.Set(TResult{code, std::move(description)});
}

void TComm::SetSystemError(SystemError error) {
  SetResult(kResultSystemError, backend_->ErrorText(error));
}

bool TComm::HandleException(const std::exception& error) {
  SetResult(kResultSystemError, error.what());
  return false;
}

bool TComm::CheckBaudRate() {
  const std::int32_t rate = baudRate_.load();
  if (rate == 9600 || rate == 19200) return true;
  SetResult(kResultBadBaudRate);
  return false;
}

bool TComm::OpenPort() {
  if (!CheckBaudRate()) return false;
  ClearResult();
  if (PortOpened()) return true;
  SystemError error = 0;
  const PortHandle handle = backend_->Open(PortName(), error);
  if (handle == kInvalidPort) {
    SetResult(kResultPortOpenError,
              ResultMessage(kResultPortOpenError) + backend_->ErrorText(error));
    return false;
  }
  handle_.store(handle);
  if (!ApplyTimeouts() || !ApplyCommState()) return false;
  if (!backend_->SetupQueues(handle, kQueueSize, kQueueSize, error)) {
    SetSystemError(error);
    return false;
  }
  return true;
}

bool TComm::ClosePort() {
  ClearResult();
  const PortHandle handle = handle_.exchange(kInvalidPort);
  if (handle != kInvalidPort) backend_->Close(handle);
  return true;
}

bool TComm::EnsureOpen() { return PortOpened() || OpenPort(); }

bool TComm::ApplyTimeouts() {
  if (!EnsureOpen()) return false;
  SystemError error = 0;
  if (backend_->SetTimeouts(handle_.load(), timeouts_, error)) return true;
  SetSystemError(error);
  return false;
}

bool TComm::ApplyCommState() {
  if (!PortOpened()) return true;
  SystemError error = 0;
  if (backend_->SetLineFormat(handle_.load(), baudRate_.load(), error)) return true;
  SetSystemError(error);
  return false;
}

void TComm::SetBaudRate(std::int32_t value) {
  if (baudRate_.exchange(value) == value) return;
  ApplyCommState();
}

bool TComm::Purge() {
  if (!EnsureOpen()) return false;
  SystemError error = 0;
  if (backend_->Purge(handle_.load(), error)) return true;
  FailOnOpenPort(error);
  return false;
}

void TComm::FailOnOpenPort(SystemError error) {
  SetSystemError(error);
  DropIfGone(error);
}

void TComm::DropIfGone(SystemError error) {
  if (!backend_->DeviceGone(error)) return;
  // The handle will never work again: closing it lets the next command open
  // the port anew, once the device is back under its name.
  const PortHandle handle = handle_.exchange(kInvalidPort);
  if (handle != kInvalidPort) backend_->Close(handle);
}

bool TComm::WritePort(const Bytes& data) {
  if (!EnsureOpen()) return false;
  SystemError error = 0;
  std::size_t written = 0;
  if (backend_->Write(handle_.load(), data.data(), data.size(), written, error) &&
      written == data.size()) {
    return true;
  }
  FailOnOpenPort(error);
  return false;
}

bool TComm::ReadByte(std::uint8_t& value) {
  SystemError error = 0;
  std::size_t received = 0;
  if (backend_->Read(handle_.load(), &value, 1, received, error) && received == 1) return true;
  SetResult(kResultNoLink);
  if (received == 0 && error != 0) DropIfGone(error);
  return false;
}

bool TComm::ReadBytes(std::size_t n, Bytes& data) {
  data.resize(n);
  SystemError error = 0;
  std::size_t received = 0;
  if (!backend_->Read(handle_.load(), data.data(), n, received, error)) {
    data.clear();
    FailOnOpenPort(error);
    return false;
  }
  data.resize(received);
  return true;
}

}  // namespace notarel
