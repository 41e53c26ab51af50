// The Win32 serial backend on its own, against the emulator behind a COM port:
// what the driver relies on from each call, checked without the driver above it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "emulator_peer.h"
#include "frame_codec.h"
#include "serial_backend.h"

namespace notarel {
namespace {

const SerialTimeouts kDriverTimeouts{50, 50, 100, 50, 100};
const Bytes kStatusRequest{0xFC, 0x05, 0x11, 0x27, 0x56};

// Text ends the way the driver's messages need: no blank, control character or period.
bool EndsCleanly(const std::string& text) {
  const auto last = static_cast<unsigned char>(text.back());
  return last > 0x20 && last != 0x7F && last != '.';
}

class Win32Serial : public ::testing::Test {
 protected:
  void SetUp() override {
    peer_ = EmulatorPeer::Start();
    ASSERT_TRUE(peer_);
    // "COMn" as a user would name it; the backend wants the device path.
    portName_ = "\\\\.\\" + peer_->PortArgument();
  }
  void TearDown() override {
    if (port_ != kInvalidPort) serial::Close(port_);
  }

  // Opens and configures the port the way the driver does.
  void OpenConfigured(std::int32_t baudRate = 9600) {
    SystemError error = 0;
    port_ = serial::Open(portName_, error);
    ASSERT_NE(port_, kInvalidPort) << portName_ << ": " << serial::ErrorText(error);
    ASSERT_TRUE(serial::SetTimeouts(port_, kDriverTimeouts, error)) << serial::ErrorText(error);
    ASSERT_TRUE(serial::SetLineFormat(port_, baudRate, error)) << serial::ErrorText(error);
    ASSERT_TRUE(serial::SetupQueues(port_, 1024, 1024, error)) << serial::ErrorText(error);
    ASSERT_TRUE(serial::Purge(port_, error)) << serial::ErrorText(error);
  }

  void Send(const Bytes& bytes) {
    SystemError error = 0;
    std::size_t written = 0;
    ASSERT_TRUE(serial::Write(port_, bytes.data(), bytes.size(), written, error))
        << serial::ErrorText(error);
    EXPECT_EQ(written, bytes.size());
  }

  // Reads up to n bytes, going on after partial reads until n arrive or a read
  // brings nothing.
  Bytes Receive(std::size_t n) {
    Bytes data(n);
    std::size_t total = 0;
    while (total < n) {
      SystemError error = 0;
      std::size_t received = 0;
      if (!serial::Read(port_, data.data() + total, n - total, received, error)) {
        ADD_FAILURE() << "read failed: " << error << " " << serial::ErrorText(error);
        break;
      }
      if (received == 0) break;
      total += received;
    }
    data.resize(total);
    return data;
  }

  std::unique_ptr<EmulatorPeer> peer_;
  std::string portName_;
  PortHandle port_ = kInvalidPort;
};

TEST_F(Win32Serial, StatusRequestGetsAWholeValidFrame) {
  ASSERT_EQ(portName_.substr(0, 7), "\\\\.\\COM");
  ASSERT_NO_FATAL_FAILURE(OpenConfigured());
  Send(kStatusRequest);
  const Bytes reply = Receive(5);
  // After a restart the emulator is in POWER UP: FC 05 40 and the CRC.
  ASSERT_EQ(reply.size(), 5u) << HexDump(reply);
  EXPECT_EQ(reply[0], kFrameSync);
  EXPECT_EQ(reply[1], 5);
  EXPECT_EQ(reply[2], 0x40);
  EXPECT_TRUE(FrameCrcMatches(reply)) << HexDump(reply);
}

// Read back through GetCommState. A pseudo-terminal keeps the speed, the data
// and stop bits and the software flow control, but it has no parity and no
// modem lines, so Wine reports parity none and DTR/RTS enabled whatever was
// set; those fields are left out here.
TEST_F(Win32Serial, BothSpeedsAndTheLineFormatAreProgrammed) {
  ASSERT_NO_FATAL_FAILURE(OpenConfigured(19200));
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(port_), &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);

  // Reprogramming an open port, as a change of BaudRate does.
  SystemError error = 0;
  ASSERT_TRUE(serial::SetLineFormat(port_, 9600, error)) << serial::ErrorText(error);
  ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(port_), &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  Send(kStatusRequest);
  EXPECT_EQ(Receive(5).size(), 5u);
}

TEST_F(Win32Serial, ReadsWithNothingComingEndEmptyAndWithoutError) {
  ASSERT_NO_FATAL_FAILURE(OpenConfigured());
  for (std::size_t n : {1u, 10u}) {
    Bytes data(n);
    SystemError error = 0;
    std::size_t received = 99;
    EXPECT_TRUE(serial::Read(port_, data.data(), n, received, error)) << n;
    EXPECT_EQ(received, 0u) << n;
  }
}

TEST_F(Win32Serial, PurgeDropsBytesThatArrivedButWereNotRead) {
  ASSERT_EQ(peer_->Command("trailing AA BB CC").substr(0, 2), "OK");
  ASSERT_NO_FATAL_FAILURE(OpenConfigured());
  Send(kStatusRequest);
  ASSERT_EQ(Receive(5).size(), 5u);
  // Wait for the three bytes behind the frame, so that the purge has something to drop.
  const Bytes first = Receive(1);
  ASSERT_EQ(first, Bytes{0xAA});
  SystemError error = 0;
  ASSERT_TRUE(serial::Purge(port_, error)) << serial::ErrorText(error);
  EXPECT_TRUE(Receive(2).empty());
}

TEST_F(Win32Serial, MissingPortFailsWithTheSystemsOwnText) {
  SystemError error = 0;
  EXPECT_EQ(serial::Open(serial::PortName(30), error), kInvalidPort);
  EXPECT_NE(error, 0u);
  const std::string text = serial::ErrorText(error);
  ASSERT_FALSE(text.empty()) << "error " << error;
  EXPECT_TRUE(EndsCleanly(text)) << "[" << text << "]";
}

TEST_F(Win32Serial, ErrorTextIsTrimmedAndEmptyForUnknownCodes) {
  // The system's messages end with a period and a line end.
  for (SystemError code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_TIMEOUT,
                           ERROR_GEN_FAILURE}) {
    const std::string text = serial::ErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_TRUE(EndsCleanly(text)) << code << " [" << text << "]";
  }
  EXPECT_EQ(serial::ErrorText(0x2000FFFFu), "");
}

// The system's own text for a code, narrowed to Windows-1251 (letters it
// lacks as their look-alikes) and trimmed the way the driver trims it.
std::string SystemTextIn1251(SystemError code) {
  wchar_t wide[256];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      wide, 256, nullptr);
  std::string text(length, '\0');
  const int size = WideCharToMultiByte(1251, 0, wide, static_cast<int>(length),
                                       text.data(), static_cast<int>(length), nullptr, nullptr);
  text.resize(static_cast<std::size_t>(size > 0 ? size : 0));
  while (!text.empty() && !EndsCleanly(text)) text.pop_back();
  return text;
}

TEST_F(Win32Serial, ErrorTextIsInTheDriversCodePageWhateverTheAnsiCodePage) {
  // Like every driver text, the system's message is Windows-1251 text, so
  // that the control shows it right on any system; the Wine script runs this
  // under a French locale too, whose messages have letters beyond ASCII.
  for (SystemError code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_TIMEOUT,
                           ERROR_GEN_FAILURE}) {
    EXPECT_EQ(serial::ErrorText(code), SystemTextIn1251(code)) << code << " ACP " << GetACP();
  }
}

TEST_F(Win32Serial, PeerThatHangsUpFailsTheOldHandleAndTheReopenedPortWorks) {
  ASSERT_NO_FATAL_FAILURE(OpenConfigured());
  ASSERT_EQ(peer_->Command("hangup").substr(0, 6), "OK PTY");
  SystemError error = 0;
  std::size_t count = 0;
  Bytes data(5);
  const bool wrote =
      serial::Write(port_, kStatusRequest.data(), kStatusRequest.size(), count, error);
  const bool read = serial::Read(port_, data.data(), data.size(), count, error);
  // The old line is gone: nothing can come back on it, whatever the calls say.
  EXPECT_FALSE(wrote && read && count > 0);
  serial::Close(port_);
  port_ = kInvalidPort;

  ASSERT_NO_FATAL_FAILURE(OpenConfigured());
  Send(kStatusRequest);
  EXPECT_EQ(Receive(5).size(), 5u);
}

// Sets one environment variable for the life of the object, then puts the old
// value back ("NAME=" removes a variable from the C runtime's environment).
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
    const char* old = std::getenv(name_.c_str());
    restore_ = name_ + "=" + (old ? old : "");
    Put(name_ + "=" + value);
  }
  ~ScopedEnvironment() { Put(restore_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  // _putenv keeps the pointer it is given, so each text lives on in a static list.
  static void Put(std::string text) {
    static std::vector<std::unique_ptr<std::string>> kept;
    kept.push_back(std::make_unique<std::string>(std::move(text)));
    _putenv(kept.back()->c_str());
  }
  std::string name_;
  std::string restore_;
};

// A run without a usable emulator must fail the test at once with the reason,
// not hang on a port or a socket.
TEST(Win32EmulatorPeer, UnusableSettingsFailTheTestWithTheReason) {
  static std::unique_ptr<EmulatorPeer> peer;
  {
    ScopedEnvironment noPort("NOTAREL_EMU_COM", "");
    EXPECT_NONFATAL_FAILURE(peer = EmulatorPeer::Start(), "NOTAREL_EMU_COM");
    EXPECT_EQ(peer, nullptr);
  }
  {
    ScopedEnvironment badAddress("NOTAREL_EMU_CONTROL", "localhost");
    EXPECT_NONFATAL_FAILURE(peer = EmulatorPeer::Start(), "not HOST:PORT");
    EXPECT_EQ(peer, nullptr);
  }
  {
    // Port 1 on the loopback: nothing listens there, the connection is refused.
    ScopedEnvironment noListener("NOTAREL_EMU_CONTROL", "127.0.0.1:1");
    EXPECT_NONFATAL_FAILURE(peer = EmulatorPeer::Start(), "connect failed");
    EXPECT_EQ(peer, nullptr);
  }
}

}  // namespace
}  // namespace notarel
