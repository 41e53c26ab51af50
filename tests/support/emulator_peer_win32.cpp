// The emulator under Wine: the script that runs the tests starts one emulator
// behind a COM link and passes the COM number (NOTAREL_EMU_COM) and the control
// address (NOTAREL_EMU_CONTROL, "127.0.0.1:PORT") in the environment. Each
// peer opens its own TCP connection to that address and restarts the emulator,
// so every test begins from the power-up state with no faults pending.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "driver.h"
#include "emulator_peer.h"

namespace notarel {
namespace {

// Bounds the wait for one reply line, so that a dead emulator fails the test
// instead of hanging it.
constexpr DWORD kReplyTimeoutMs = 5000;

// Winsock is started once for the whole test program and never stopped.
bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

// "127.0.0.1:PORT" into an IPv4 address; false when it is not of that form.
bool ParseControlAddress(const std::string& text, sockaddr_in& address) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = text.substr(0, colon);
  char* end = nullptr;
  const unsigned long port = std::strtoul(text.c_str() + colon + 1, &end, 10);
  if (end == text.c_str() + colon + 1 || *end != '\0' || port == 0 || port > 65535) return false;
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  return inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1;
}

class ComLinkPeer : public EmulatorPeer {
 public:
  explicit ComLinkPeer(int comNumber) : comNumber_(comNumber) {}
  ~ComLinkPeer() override {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  ComLinkPeer(const ComLinkPeer&) = delete;
  ComLinkPeer& operator=(const ComLinkPeer&) = delete;

  // Empty on success, else why the control connection could not be made.
  std::string Connect(const sockaddr_in& address) {
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) return "socket failed: " + std::to_string(WSAGetLastError());
    const DWORD timeout = kReplyTimeoutMs;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
    if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
      return "connect failed: " + std::to_string(WSAGetLastError());
    }
    return {};
  }

  std::string Command(const std::string& line) override {
    const std::string text = line + "\n";
    if (!SendAll(text)) return {};
    return ReadLine();
  }

  // The COM link stays where it is even when the emulator moves to a new
  // pseudo-terminal after a hang-up, so the number is all the port needs.
  void Attach(TDriver& driver) override {
    driver.SetPortNumber(comNumber_);
    driver.SetPortPath("");
  }
  std::string PortArgument() const override { return "COM" + std::to_string(comNumber_); }
  bool CanTestExclusiveOpen() const override { return false; }

 private:
  bool SendAll(const std::string& text) {
    for (std::size_t sent = 0; sent < text.size();) {
      const int n = send(socket_, text.data() + sent, static_cast<int>(text.size() - sent), 0);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  // One line without its end; "" when the connection ends or the time-out passes.
  std::string ReadLine() {
    for (;;) {
      const auto end = buffered_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      char chunk[256];
      const int n = recv(socket_, chunk, sizeof(chunk), 0);
      if (n <= 0) return {};
      buffered_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  int comNumber_;
  SOCKET socket_ = INVALID_SOCKET;
  std::string buffered_;
};

// The environment's settings of the INDEXth emulator, or why they are unusable.
std::string ReadEnvironment(int index, int& comNumber, sockaddr_in& address) {
  const std::string suffix = index == 0 ? "" : "_" + std::to_string(index);
  const std::string comName = "NOTAREL_EMU_COM" + suffix;
  const std::string controlName = "NOTAREL_EMU_CONTROL" + suffix;
  const char* com = std::getenv(comName.c_str());
  const char* control = std::getenv(controlName.c_str());
  if (com == nullptr || control == nullptr) {
    return comName + " and " + controlName + " must name the emulator's COM port and control "
           "address (run the tests through ctest of the Windows build" +
           (index == 0 ? std::string(")") : std::string(", as a test of several emulators)"));
  }
  comNumber = std::atoi(com);
  if (comNumber < 1) return comName + " is not a port number: " + com;
  if (!ParseControlAddress(control, address)) {
    return controlName + " is not HOST:PORT: " + control;
  }
  return {};
}

}  // namespace

std::unique_ptr<EmulatorPeer> EmulatorPeer::Start(const std::vector<std::string>&) {
  // The test script started the emulator with its options already; see the header.
  return Start();
}

std::unique_ptr<EmulatorPeer> EmulatorPeer::Start() { return StartAt(0); }

std::unique_ptr<EmulatorPeer> EmulatorPeer::StartAt(int index) {
  int comNumber = 0;
  sockaddr_in address{};
  std::string problem = ReadEnvironment(index, comNumber, address);
  if (problem.empty() && !StartWinsock()) problem = "WSAStartup failed";
  auto peer = std::make_unique<ComLinkPeer>(comNumber);
  if (problem.empty()) problem = peer->Connect(address);
  if (problem.empty()) {
    const std::string reply = peer->Command("restart");
    if (reply.rfind("OK", 0) == 0) return peer;
    problem = "the emulator answered restart with \"" + reply + "\"";
  }
  ADD_FAILURE() << "no emulator: " << problem;
  return nullptr;
}

}  // namespace notarel
