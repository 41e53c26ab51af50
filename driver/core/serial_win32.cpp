// Win32 serial backend: a COM port opened as a file, synchronous I/O with the
// time-outs of COMMTIMEOUTS, 8 data bits, even parity, one stop bit.
//
// Every function reads GetLastError() right after the call that failed, before
// anything else can overwrite it.
#include "serial_backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace notarel {
namespace serial {
namespace {

// The code page of the driver's texts.
constexpr UINT kDriverCodePage = 1251;

HANDLE ToHandle(PortHandle handle) { return reinterpret_cast<HANDLE>(handle); }

PortHandle FromHandle(HANDLE handle) { return reinterpret_cast<PortHandle>(handle); }

// Result of a Win32 call that reports failure by FALSE.
bool Check(BOOL ok, SystemError& error) {
  if (ok) return true;
  error = GetLastError();
  return false;
}

// The acceptor's line: binary mode and nothing else in the flags word. No parity
// checking or replacement, no hardware or XON/XOFF flow control, DTR and RTS held
// off, no abort on error. Written field by field because DCB has no name for the
// word as a whole; together these make the word equal to 1.
void SetBinaryOnlyFlags(DCB& dcb) {
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
  dcb.fDummy2 = 0;
}

bool IsTrimmedAtEnd(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F || c == '.';
}

}  // namespace

std::string PortName(int portNumber) { return "\\\\.\\COM" + std::to_string(portNumber); }

PortHandle Open(const std::string& name, SystemError& error) {
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return kInvalidPort;
  }
  return FromHandle(handle);
}

void Close(PortHandle handle) { CloseHandle(ToHandle(handle)); }

bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts, SystemError& error) {
  COMMTIMEOUTS record{};
  record.ReadIntervalTimeout = timeouts.readInterval;
  record.ReadTotalTimeoutMultiplier = timeouts.readPerByte;
  record.ReadTotalTimeoutConstant = timeouts.readConstant;
  record.WriteTotalTimeoutMultiplier = timeouts.writePerByte;
  record.WriteTotalTimeoutConstant = timeouts.writeConstant;
  return Check(SetCommTimeouts(ToHandle(handle), &record), error);
}

bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!Check(GetCommState(ToHandle(handle), &dcb), error)) return false;
  dcb.BaudRate = static_cast<DWORD>(baudRate);
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetBinaryOnlyFlags(dcb);
  return Check(SetCommState(ToHandle(handle), &dcb), error);
}

bool SetupQueues(PortHandle handle, std::uint32_t inputSize, std::uint32_t outputSize,
                 SystemError& error) {
  return Check(SetupComm(ToHandle(handle), inputSize, outputSize), error);
}

bool Purge(PortHandle handle, SystemError& error) {
  const DWORD everything = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
  return Check(PurgeComm(ToHandle(handle), everything), error);
}

// A write that the time-out cuts short still succeeds as a call; it is reported
// as ERROR_TIMEOUT so the caller shows a real reason instead of the system's
// "completed successfully" text.
bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size, std::size_t& written,
           SystemError& error) {
  DWORD done = 0;
  const BOOL ok = WriteFile(ToHandle(handle), data, static_cast<DWORD>(size), &done, nullptr);
  written = done;
  if (!Check(ok, error)) return false;
  if (written == size) return true;
  error = ERROR_TIMEOUT;
  return false;
}

bool Read(PortHandle handle, std::uint8_t* data, std::size_t size, std::size_t& received,
          SystemError& error) {
  DWORD done = 0;
  const BOOL ok = ReadFile(ToHandle(handle), data, static_cast<DWORD>(size), &done, nullptr);
  received = done;
  return Check(ok, error);
}

// What Windows answers on the handle of a serial device that went away: a USB
// adapter unplugged (ERROR_DEVICE_REMOVED, ERROR_BAD_COMMAND, ERROR_GEN_FAILURE,
// ERROR_OPERATION_ABORTED), its driver's device object deleted while the handle
// was open (ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND), and what Wine's WriteFile
// gives for a pseudo-terminal that hung up (ERROR_NOT_READY).
bool DeviceGone(SystemError error) {
  switch (error) {
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NOT_READY:
      return true;
    default:
      return false;
  }
}

// The system's text is taken wide and narrowed to the driver's code page,
// whatever the system's ANSI code page. The text is only shown, so a letter
// that code page lacks becomes its nearest look-alike ("Acces refuse").
std::string ErrorText(SystemError error) {
  wchar_t wide[256];
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, 256, nullptr);
  char buffer[512];
  const int size = length == 0 ? 0
                               : WideCharToMultiByte(kDriverCodePage, 0, wide, static_cast<int>(length),
                                                     buffer, sizeof(buffer), nullptr, nullptr);
  std::string text(buffer, static_cast<std::size_t>(size > 0 ? size : 0));
  while (!text.empty() && IsTrimmedAtEnd(text.back())) text.pop_back();
  return text;
}

}  // namespace serial
}  // namespace notarel
