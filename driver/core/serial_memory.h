#pragma once
// TMemorySerial: a serial link in memory, for tests, fuzzers and soaks.
//
// A program scripts what the device sends back and reads what the driver
// wrote. Each write of the driver takes the next scripted reply (or, when none
// is queued, asks the responder, if one is set) and puts it on the line; a
// purge empties the line as a real one does. A reply is a sequence of pieces:
// bytes, a time-out (the read that reaches it ends there, short) and a read
// failure (that read fails with the given platform error). An empty line
// reads as a time-out. Every call is safe from any thread.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "frame_codec.h"
#include "serial_backend.h"

namespace notarel {

class TMemorySerial final : public TSerialBackend {
 public:
  struct TPiece {
    enum Kind { kBytes, kTimeout, kReadError } kind = kBytes;
    Bytes bytes;
    SystemError error = 0;
  };
  using TReply = std::vector<TPiece>;
  // Builds the reply to one write from the bytes written.
  using TResponder = std::function<TReply(const Bytes& written)>;

  static TPiece Data(Bytes bytes) { return {TPiece::kBytes, std::move(bytes), 0}; }
  static TPiece Timeout() { return {TPiece::kTimeout, {}, 0}; }
  static TPiece ReadError(SystemError error) { return {TPiece::kReadError, {}, error}; }

  // The reply to a later write, in order; an empty reply is a silent device.
  void Script(TReply reply);
  void ScriptBytes(Bytes bytes) { Script({Data(std::move(bytes))}); }
  void ScriptSilence() { Script({}); }
  // Asked for the reply to every write that finds no scripted one.
  void SetResponder(TResponder responder);
  // Puts pieces on the line at once, as a device that speaks unasked.
  void Inject(TReply pieces);
  // A non-zero error makes every opening (or write) fail with it.
  void FailOpen(SystemError error);
  void FailWrites(SystemError error);

  // What the driver did: the writes kept (all of them, or the last `limit`
  // ones for a long run) and the count of every write ever made.
  std::vector<Bytes> Written() const;
  void ClearWritten();
  void KeepLastWrites(std::size_t limit);
  std::uint64_t WriteCount() const;
  bool IsOpen() const;
  std::string OpenedName() const;  // the name of the last opening
  int OpenCount() const;
  std::int32_t LineSpeed() const;  // the speed last set, 0 before any
  std::size_t Pending() const;     // bytes left on the line

  PortHandle Open(const std::string& name, SystemError& error) override;
  void Close(PortHandle handle) override;
  bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts,
                   SystemError& error) override;
  bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) override;
  bool SetupQueues(PortHandle handle, std::uint32_t inputSize, std::uint32_t outputSize,
                   SystemError& error) override;
  bool Purge(PortHandle handle, SystemError& error) override;
  bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size, std::size_t& written,
             SystemError& error) override;
  bool Read(PortHandle handle, std::uint8_t* data, std::size_t size, std::size_t& received,
            SystemError& error) override;
  // The one error that says the device is gone.
  static constexpr SystemError kDeviceGoneError = 0x6F6E65;
  bool DeviceGone(SystemError error) override { return error == kDeviceGoneError; }
  std::string ErrorText(SystemError error) override;

 private:
  // The handle of the one opening; anything else is a closed handle.
  static constexpr PortHandle kHandle = 1;
  bool Usable(PortHandle handle, SystemError& error) const;

  mutable std::mutex lock_;
  std::deque<TReply> scripted_;
  TResponder responder_;
  std::deque<TPiece> line_;
  std::deque<Bytes> written_;
  std::size_t writeLimit_ = static_cast<std::size_t>(-1);
  std::uint64_t writeCount_ = 0;
  bool open_ = false;
  std::string openedName_;
  int openCount_ = 0;
  std::int32_t lineSpeed_ = 0;
  SystemError openError_ = 0;
  SystemError writeError_ = 0;
};

}  // namespace notarel
