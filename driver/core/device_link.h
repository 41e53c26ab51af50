#pragma once
// TDeviceLink: the serial port of one acceptor and the protocol exchange over it.
//
// Each command takes the values it sends as parameters and hands back what the
// device answered, decoded; it keeps no device value of its own. What the link
// does keep is the record of its last exchange (the frames as text, the reply's
// data, the time it took) and, through TComm, the result of its last step.
// Callers hold the driver's exchange lock from the request to the end of the
// decoding; the record may be read from any thread at any time.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "comm.h"
#include "frame_codec.h"
#include "guarded.h"

namespace notarel {

// A status reply. `complete` is false (with code -6) when a status that carries
// a data byte came without it; `data` is then 0.
struct TStatusReply {
  std::uint8_t status = 0;
  std::uint8_t data = 0;
  bool complete = true;
};

class TDeviceLink : public TComm {
 public:
  TDeviceLink() = default;
  explicit TDeviceLink(std::shared_ptr<TSerialBackend> backend) : TComm(std::move(backend)) {}

  // The record of the last exchange.
  std::string Input() const { return input_.Get(); }
  std::string Output() const { return output_.Get(); }
  std::int32_t ExecTime() const { return execTime_.load(); }
  Bytes ReplyData() const { return replyData_.Get(); }
  // A failed operation leaves no execution time.
  void ClearExecTime() { execTime_.store(0); }

  // Frame exchange.
  bool SendFrame(const Bytes& command);
  bool ReceiveFrame();
  bool Exchange(const Bytes& command);
  bool ExchangeEcho(const Bytes& command);
  bool CheckReplyLength(std::size_t minimum);

  // A control command: the reply must be ACK (0x50); 0x4B gives code 75.
  bool Control(std::uint8_t code);
  // ACK without waiting for a reply and without clearing the result.
  bool SendAck();

  // Setting commands: each sends its value and gives back the device's echo.
  // The masks are as the driver sees them (a set bit enables or validates).
  bool WriteEnabledMask(std::uint8_t mask, std::uint8_t& echo);
  bool ReadEnabledMask(std::uint8_t& mask);
  bool WriteValidatedMask(std::uint8_t mask, std::uint8_t& echo);
  bool ReadValidatedMask(std::uint8_t& mask);
  bool WriteInhibit(bool inhibit, bool& echo);
  bool ReadInhibit(bool& inhibit);
  bool WriteDirection(std::uint8_t direction, std::uint8_t& echo);
  bool ReadDirection(std::uint8_t& direction);
  bool WriteOptionalSettings(std::uint16_t settings, std::uint16_t& echo);
  bool ReadOptionalSettings(std::uint16_t& settings);
  // Identification texts: the reply after its echo byte.
  bool ReadModelID(std::string& model);
  bool ReadBootVersion(std::string& version);

  // The status request. False when no status byte came back; true with the
  // reply otherwise, even when it lacks its data byte.
  bool ReadStatus(TStatusReply& reply);

 private:
  // The echo exchange of a setting command, checked for its minimum reply length.
  bool EchoCommand(const Bytes& command);
  // The one-byte and two-byte settings, the word high byte first.
  bool ByteSetting(const Bytes& command, std::uint8_t& value);
  bool WordSetting(const Bytes& command, std::uint16_t& value);
  bool TextSetting(std::uint8_t command, std::string& text);

  std::atomic<std::int32_t> execTime_{0};
  Guarded<Bytes> replyData_;
  Guarded<std::string> input_;
  Guarded<std::string> output_;
};

}  // namespace notarel
