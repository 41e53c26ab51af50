#pragma once
// TComm: the driver's serial port and the result of its last operation.
//
// Opens one RS-232 port by number (or by an explicit device path) through its
// serial backend (the machine's own ports unless another is given), configures
// it for the acceptor and moves bytes with fixed time-outs. Every step records
// its outcome in ResultCode/ResultDescription. Reads, writes and purges are
// called by the frame exchange under the driver's lock; OpenPort, ClosePort and
// the port setting writes are client-thread operations that must not run while
// polling does. The result fields may be read from any thread.
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "frame_codec.h"
#include "guarded.h"
#include "serial_backend.h"

namespace notarel {

// A result code with its message, always read and written as one.
struct TResult {
  std::int32_t code = 0;
  std::string description;
};

class TComm {
 public:
  // The machine's serial ports.
  TComm();
  explicit TComm(std::shared_ptr<TSerialBackend> backend);
  virtual ~TComm();  // closes the port
  TComm(const TComm&) = delete;
  TComm& operator=(const TComm&) = delete;

  // Checks the speed first (-9, even when already open), then opens and
  // configures a closed port: -2 when the device cannot be opened, -8 when
  // configuring fails (the device then stays open). True on an open port.
  bool OpenPort();
  // Always true; clears the result.
  bool ClosePort();
  bool PortOpened() const { return handle_.load() != kInvalidPort; }

  std::int32_t BaudRate() const { return baudRate_.load(); }
  // Stores the speed and applies it to an open port at once (-8 on failure).
  void SetBaudRate(std::int32_t value);
  std::int32_t PortNumber() const { return portNumber_.load(); }
  // Used at the next opening.
  void SetPortNumber(std::int32_t value) { portNumber_.store(value); }
  // An explicit device path (a pseudo-terminal, a USB adapter) used instead of
  // the port number when not empty; used at the next opening.
  std::string PortPath() const { return portPath_.Get(); }
  void SetPortPath(std::string path) { portPath_.Set(std::move(path)); }
  // The device the next opening uses.
  std::string PortName() const;

  std::int32_t ResultCode() const { return result_.Get().code; }
  std::string ResultDescription() const { return result_.Get().description; }
  // Both at once: another thread's operation can come between two reads.
  TResult Result() const { return result_.Get(); }

  // Result bookkeeping shared by every operation.
  bool ClearResult();
  // A fixed code with its table message.
  void SetResult(std::int32_t code);
  void SetResult(std::int32_t code, std::string description);
  // -8 with the platform's text for the error.
  void SetSystemError(SystemError error);
  // -8 with the exception's own message; returns false.
  bool HandleException(const std::exception& error);

  bool CheckBaudRate();
  bool EnsureOpen();
  bool ApplyTimeouts();
  bool ApplyCommState();
  bool Purge();
  // True only when every byte was written.
  bool WritePort(const Bytes& data);
  // False with -1 when no byte arrives within the read time-out (or the read
  // fails; a device that is gone then also closes the port).
  bool ReadByte(std::uint8_t& value);
  // True with fewer than n bytes (or none) when a time-out ended the read;
  // false with -8 when the platform call fails.
  bool ReadBytes(std::size_t n, Bytes& data);

 private:
  // A failed transfer on the open port: -8 with the platform's text, and the
  // handle closed when the error says the device behind it is gone.
  void FailOnOpenPort(SystemError error);
  void DropIfGone(SystemError error);

  const std::shared_ptr<TSerialBackend> backend_;
  std::atomic<PortHandle> handle_{kInvalidPort};
  std::atomic<std::int32_t> baudRate_{9600};
  std::atomic<std::int32_t> portNumber_{1};
  Guarded<std::string> portPath_;
  const SerialTimeouts timeouts_{50, 50, 100, 50, 100};
  Guarded<TResult> result_;
};

}  // namespace notarel
