// POSIX serial backend: termios in raw mode, exclusive opening, and reads and
// writes bounded by poll() so they keep the time-out semantics of the Win32
// COMMTIMEOUTS record the driver is written against.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <utility>

#include "guarded.h"
#include "serial_backend.h"
#include "serial_posix.h"

namespace notarel {
namespace {

// What a handle points at: the descriptor and the time-outs set on it.
struct PosixPort {
  int fd;
  SerialTimeouts timeouts;
};

PosixPort* AsPort(PortHandle handle) { return reinterpret_cast<PosixPort*>(handle); }

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for the descriptor to become ready; 0 on time-out, -1 with errno on failure.
int WaitReady(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int r = poll(&p, 1, timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return r;
    if (p.revents & POLLNVAL) {
      errno = EBADF;
      return -1;
    }
    return 1;
  }
}

bool SpeedConstant(std::int32_t baudRate, speed_t& speed) {
  switch (baudRate) {
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    default: return false;
  }
}

bool Fail(SystemError& error) {
  error = static_cast<SystemError>(errno);
  return false;
}

// A pseudo-terminal has no parity bit: it drops PARENB, and the C library then
// reports EINVAL for a request that otherwise took. The line is usable when the
// speed and the byte size are what was asked for.
bool LineTookSettings(int fd, speed_t speed, SystemError& error) {
  const int cause = errno;
  termios now{};
  if (cause == EINVAL && tcgetattr(fd, &now) == 0 && cfgetospeed(&now) == speed &&
      (now.c_cflag & CSIZE) == CS8) {
    return true;
  }
  error = static_cast<SystemError>(cause);
  return false;
}

}  // namespace

namespace serial {

namespace {

// The device folder: read by every port name, written by tools and tests.
Guarded<std::string>& DeviceFolderSetting() {
  static Guarded<std::string> folder{std::string("/dev")};
  return folder;
}

}  // namespace

void SetDeviceFolder(std::string folder) { DeviceFolderSetting().Set(std::move(folder)); }

std::string DeviceFolder() { return DeviceFolderSetting().Get(); }

std::string PortName(int portNumber) {
  struct Family {
    int first;
    const char* prefix;
  };
  constexpr int kFamilySize = 32;
  static constexpr Family kFamilies[] = {{1, "/ttyS"}, {33, "/ttyUSB"}, {65, "/ttyACM"}};
  static_assert(kFamilies[2].first + kFamilySize - 1 == kLastMappedPort,
                "the port list looks for device files up to the last family's end");
  for (auto it = std::rbegin(kFamilies); it != std::rend(kFamilies); ++it) {
    if (portNumber >= it->first && portNumber < it->first + kFamilySize) {
      return DeviceFolder() + it->prefix + std::to_string(portNumber - it->first);
    }
  }
  // No device is mapped to such a number; the name makes the opening fail.
  return DeviceFolder() + "/COM" + std::to_string(portNumber);
}

PortHandle Open(const std::string& name, SystemError& error) {
  const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Fail(error);
    return kInvalidPort;
  }
  // No sharing: a port that another program holds is refused, as Windows does.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? EBUSY : static_cast<SystemError>(errno);
    close(fd);
    return kInvalidPort;
  }
  ioctl(fd, TIOCEXCL);  // refuses later opens by ordinary users; best effort
  return reinterpret_cast<PortHandle>(new PosixPort{fd, {0, 0, 0, 0, 0}});
}

void Close(PortHandle handle) {
  PosixPort* port = AsPort(handle);
  ioctl(port->fd, TIOCNXCL);
  close(port->fd);
  delete port;
}

bool SetTimeouts(PortHandle handle, const SerialTimeouts& timeouts, SystemError&) {
  AsPort(handle)->timeouts = timeouts;
  return true;
}

bool SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) {
  const int fd = AsPort(handle)->fd;
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return Fail(error);
  speed_t speed{};
  if (!SpeedConstant(baudRate, speed)) {
    error = EINVAL;
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD | CRTSCTS);
  tio.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd, TCSANOW, &tio) != 0 && !LineTookSettings(fd, speed, error)) return false;
  // DTR and RTS held off where the device has modem lines; a pseudo-terminal has none.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(fd, TIOCMBIC, &lines);
  return true;
}

bool SetupQueues(PortHandle, std::uint32_t, std::uint32_t, SystemError&) {
  return true;  // the kernel sizes its own queues
}

// Only the input is emptied. A Windows write on a serial port completes when its
// bytes have gone to the line, so purging output there loses nothing written;
// here write() completes when they are queued, and flushing the output queue
// would drop a frame already reported as sent (such as an ACK, which the next
// exchange purges right after).
bool Purge(PortHandle handle, SystemError& error) {
  if (tcflush(AsPort(handle)->fd, TCIFLUSH) == 0) return true;
  return Fail(error);
}

bool Write(PortHandle handle, const std::uint8_t* data, std::size_t size, std::size_t& written,
           SystemError& error) {
  const PosixPort& port = *AsPort(handle);
  const auto budget = std::chrono::milliseconds(port.timeouts.writePerByte * size +
                                                port.timeouts.writeConstant);
  const auto deadline = Clock::now() + budget;
  written = 0;
  while (written < size) {
    const ssize_t n = write(port.fd, data + written, size - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return Fail(error);
    const int r = WaitReady(port.fd, POLLOUT, MillisecondsLeft(deadline));
    if (r < 0) return Fail(error);
    if (r == 0) {
      error = ETIMEDOUT;
      return false;
    }
  }
  return true;
}

bool Read(PortHandle handle, std::uint8_t* data, std::size_t size, std::size_t& received,
          SystemError& error) {
  const PosixPort& port = *AsPort(handle);
  const auto budget = std::chrono::milliseconds(port.timeouts.readPerByte * size +
                                                port.timeouts.readConstant);
  const auto deadline = Clock::now() + budget;
  received = 0;
  while (received < size) {
    int wait = MillisecondsLeft(deadline);
    if (received > 0 && port.timeouts.readInterval != 0) {
      wait = std::min(wait, static_cast<int>(port.timeouts.readInterval));
    }
    const int r = WaitReady(port.fd, POLLIN, wait);
    if (r < 0) return Fail(error);
    if (r == 0) return true;  // a time-out ends the read with what arrived
    const ssize_t n = read(port.fd, data + received, size - received);
    if (n > 0) {
      received += static_cast<std::size_t>(n);
    } else if (n == 0) {
      error = EIO;  // ready but nothing to read: the peer hung up
      return false;
    } else if (errno != EAGAIN && errno != EINTR) {
      return Fail(error);
    }
  }
  return true;
}

// EIO: the line hung up (a pty whose other side closed, an adapter reset);
// ENXIO and ENODEV: the device node no longer has a device behind it.
bool DeviceGone(SystemError error) { return error == EIO || error == ENXIO || error == ENODEV; }

std::string ErrorText(SystemError error) {
  char buffer[256];
  std::string text = strerror_r(static_cast<int>(error), buffer, sizeof buffer);
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text.back());
    if (c != ' ' && c != '.' && c >= 0x20 && c != 0x7F) break;
    text.pop_back();
  }
  return text;
}

}  // namespace serial
}  // namespace notarel
