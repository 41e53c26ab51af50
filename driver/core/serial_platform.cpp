// The machine's serial ports behind the driver's backend interface.
#include "serial_backend.h"

namespace notarel {
namespace {

class TPlatformSerial final : public TSerialBackend {
 public:
  PortHandle Open(const std::string& name, SystemError& error) override {
    return serial::Open(name, error);
  }
  void Close(PortHandle handle) override { serial::Close(handle); }
  bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts,
                   SystemError& error) override {
    return serial::SetTimeouts(handle, timeouts, error);
  }
  bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) override {
    return serial::SetLineFormat(handle, baudRate, error);
  }
  bool SetupQueues(PortHandle handle, std::uint32_t inputSize, std::uint32_t outputSize,
                   SystemError& error) override {
    return serial::SetupQueues(handle, inputSize, outputSize, error);
  }
  bool Purge(PortHandle handle, SystemError& error) override {
    return serial::Purge(handle, error);
  }
  bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size, std::size_t& written,
             SystemError& error) override {
    return serial::Write(handle, data, size, written, error);
  }
  bool Read(PortHandle handle, std::uint8_t* data, std::size_t size, std::size_t& received,
            SystemError& error) override {
    return serial::Read(handle, data, size, received, error);
  }
  bool DeviceGone(SystemError error) override { return serial::DeviceGone(error); }
  std::string ErrorText(SystemError error) override { return serial::ErrorText(error); }
};

}  // namespace

std::shared_ptr<TSerialBackend> PlatformSerial() {
  static const std::shared_ptr<TSerialBackend> platform = std::make_shared<TPlatformSerial>();
  return platform;
}

}  // namespace notarel
