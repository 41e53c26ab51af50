#pragma once
// The platform side of the serial port: one implementation per operating
// system (serial_win32.cpp, serial_posix.cpp), chosen by the build, and the
// interface TSerialBackend through which the driver reaches a port, so that a
// program can put another link (serial_memory.h) in its place at run time.
//
// Every function that can fail returns false (or kInvalidPort) and stores the
// platform's own error code in `error` at the moment of failure, so the caller
// never has to fetch it later from global state. All calls block for at most
// the time-outs given in SerialTimeouts; none of them keeps state between calls
// other than what the handle holds. Calls on one handle must not overlap; the
// driver guarantees that with its lock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace notarel {

using PortHandle = std::intptr_t;
constexpr PortHandle kInvalidPort = -1;  // all bits set, like INVALID_HANDLE_VALUE

// Platform error code (GetLastError on Windows, errno on POSIX).
using SystemError = std::uint32_t;

// The five time-outs in milliseconds, in the order of the Win32 COMMTIMEOUTS record.
struct SerialTimeouts {
  std::uint32_t readInterval;    // longest gap between two received bytes
  std::uint32_t readPerByte;     // multiplied by the number of bytes asked for
  std::uint32_t readConstant;    // added to that product
  std::uint32_t writePerByte;    // multiplied by the number of bytes written
  std::uint32_t writeConstant;   // added to that product
};

namespace serial {

// Device name for a port number: "\\.\COMn" on Windows; on POSIX the device
// that Wine maps to COMn by default (COM1 to COM32 are /dev/ttyS0 to /dev/ttyS31,
// COM33 to COM64 /dev/ttyUSB0.., COM65 to COM96 /dev/ttyACM0..).
std::string PortName(int portNumber);

// Opens the named device for exclusive read and write, synchronous I/O.
PortHandle Open(const std::string& name, SystemError& error);
// Closes; the result is not checked by the driver.
void Close(PortHandle handle);

bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts, SystemError& error);
// Reads the current line settings, sets the speed, 8 data bits, even parity,
// one stop bit, binary mode with no flow control and DTR/RTS off, and writes them.
bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error);
// Sizes the driver's input and output queues.
bool SetupQueues(PortHandle handle, std::uint32_t inputSize, std::uint32_t outputSize,
                 SystemError& error);
// Aborts pending transfers and empties both queues.
bool Purge(PortHandle handle, SystemError& error);

// Writes size bytes; `written` is the count the platform reports. Gives up after
// writePerByte*size + writeConstant ms. True only when every byte was written;
// a write cut short by the time-out is false with the platform's time-out error
// (ETIMEDOUT, ERROR_TIMEOUT), so the caller never reports "success" as a failure text.
bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size, std::size_t& written,
           SystemError& error);
// Reads up to size bytes; returns true with received < size when a time-out
// (readPerByte*size + readConstant in all, or readInterval after a byte) ended it.
bool Read(PortHandle handle, std::uint8_t* data, std::size_t size, std::size_t& received,
          SystemError& error);

// Whether an error of a call on an open handle says that the device behind the
// handle is gone (unplugged, reset, its line hung up), so that the handle will
// never work again and the port must be opened anew once the device is back.
bool DeviceGone(SystemError error);
// The platform's message for an error code in Windows-1251, with every trailing
// blank, control character and period removed.
std::string ErrorText(SystemError error);

}  // namespace serial

// The port operations the driver uses, with the meaning of the functions above
// of the same names. One backend may serve several drivers; calls on one handle
// never overlap.
class TSerialBackend {
 public:
  virtual ~TSerialBackend() = default;
  virtual PortHandle Open(const std::string& name, SystemError& error) = 0;
  virtual void Close(PortHandle handle) = 0;
  virtual bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts,
                           SystemError& error) = 0;
  virtual bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) = 0;
  virtual bool SetupQueues(PortHandle handle, std::uint32_t inputSize, std::uint32_t outputSize,
                           SystemError& error) = 0;
  virtual bool Purge(PortHandle handle, SystemError& error) = 0;
  virtual bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size,
                     std::size_t& written, SystemError& error) = 0;
  virtual bool Read(PortHandle handle, std::uint8_t* data, std::size_t size,
                    std::size_t& received, SystemError& error) = 0;
  virtual bool DeviceGone(SystemError error) = 0;
  virtual std::string ErrorText(SystemError error) = 0;
};

// The machine's own serial ports: the functions of namespace serial.
std::shared_ptr<TSerialBackend> PlatformSerial();

// Milliseconds from the platform's 32-bit tick counter; differences are taken
// modulo 2^32 so a wrap-around between two readings is harmless.
std::uint32_t TickCount();
inline std::uint32_t TicksSince(std::uint32_t start) { return TickCount() - start; }

}  // namespace notarel
