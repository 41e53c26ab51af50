// The real rud003-emu program as the driver's tests use it: started by path,
// ready when it says READY, spoken to over its pty, its stdin and TCP, and
// ended by its process id.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "hex_bytes.h"

namespace notarel::emu {
namespace {

// Generous bounds for a loaded machine: they only keep a broken emulator from hanging the test.
constexpr int kWaitMs = 10000;

bool WaitReadable(int fd, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) > 0;
}

// Reads one line, without its newline; "" on end of file or time-out.
std::string ReadTextLine(int fd) {
  std::string line;
  char c = 0;
  while (WaitReadable(fd, kWaitMs) && ::read(fd, &c, 1) == 1) {
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

void WriteText(int fd, const std::string& text) {
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

class EmulatorProcess {
 public:
  explicit EmulatorProcess(const std::vector<std::string>& args) {
    int in[2];
    int out[2];
    // Close-on-exec, so that the program holds only its own ends (dup2 clears the flag on
    // those): a write end left open in it would keep its standard input from ever ending.
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(RUD003_EMU_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(RUD003_EMU_PATH, argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }

  ~EmulatorProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    CloseStdin();
    if (stdout_ >= 0) ::close(stdout_);
  }

  std::string ReadLine() { return ReadTextLine(stdout_); }

  std::string Command(const std::string& line) {
    WriteText(stdin_, line + "\n");
    return ReadLine();
  }

  void CloseStdin() {
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
  }

  void Signal(int signal) { ::kill(pid_, signal); }

  // Waits for the process by its id; returns its exit code, or -1 if it did not exit normally.
  int Wait() {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
};

// The device path the emulator printed, after "PTY ".
std::string ReadPtyPath(EmulatorProcess& emu) {
  const std::string line = emu.ReadLine();
  return line.rfind("PTY /dev/", 0) == 0 ? line.substr(4) : "";
}

int OpenRawPort(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return -1;
  termios tio{};
  ::tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  ::tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

// Reads exactly count bytes; fewer if the line stays silent.
Bytes ReadBytes(int fd, std::size_t count) {
  Bytes bytes;
  std::uint8_t b = 0;
  while (bytes.size() < count && WaitReadable(fd, kWaitMs) && ::read(fd, &b, 1) == 1) bytes.push_back(b);
  return bytes;
}

// Sends a request frame and reads one reply frame: sync, length, the rest.
std::string Exchange(int fd, const std::string& request) {
  const Bytes frame = FromHex(request);
  if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return "write failed";
  Bytes reply = ReadBytes(fd, 2);
  if (reply.size() == 2 && reply[0] == kFrameSync && reply[1] > 2) {
    const Bytes rest = ReadBytes(fd, reply[1] - 2U);
    reply.insert(reply.end(), rest.begin(), rest.end());
  }
  return HexDump(reply);
}

// Waits until the emulator's log holds a line ending in text: the log tells
// what the emulator did with bytes that got no reply.
bool WaitForLogLine(const std::string& path, const std::string& text) {
  for (int waited = 0; waited < kWaitMs; waited += 10) {
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
      if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) {
        return true;
      }
    }
    ::usleep(10000);
  }
  return false;
}

const char* const kStatus = "FC 05 11 27 56";

TEST(EmulatorProcess, AnswersAStatusRequestOnItsPty) {
  EmulatorProcess emu({"--log", "/dev/null"});
  ASSERT_TRUE(emu.started());
  const std::string pty = ReadPtyPath(emu);
  ASSERT_FALSE(pty.empty());
  ASSERT_EQ(emu.ReadLine(), "READY");
  const int port = OpenRawPort(pty);
  ASSERT_GE(port, 0) << pty;

  const std::string reply = Exchange(port, kStatus);
  EXPECT_EQ(reply, "FC 05 40 2B 15");
  EXPECT_TRUE(FrameCrcMatches(FromHex(reply)));
  ::close(port);

  EXPECT_EQ(emu.Command("counters"),
            "OK escrowed=0 stacked=0 returned=0 rejected=0 failures=0 stack1=0 stack2=0 return=0 "
            "ack=0 requests=1 badcrc=0 unknown=0");
  EXPECT_EQ(emu.Command("quit"), "OK");
  EXPECT_EQ(emu.ReadLine().rfind("COUNTERS escrowed=0 ", 0), 0U);
  EXPECT_EQ(emu.Wait(), 0);
}

TEST(EmulatorProcess, BillCycleAndReplyFaultsOverTheWire) {
  EmulatorProcess emu({"--log", "/dev/null", "--start-state", "enabled", "--seed", "5"});
  const std::string pty = ReadPtyPath(emu);
  ASSERT_EQ(emu.ReadLine(), "READY");
  const int port = OpenRawPort(pty);
  ASSERT_GE(port, 0);

  EXPECT_EQ(emu.Command("insert 0x65"), "OK");
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 12 BC 64");
  EXPECT_EQ(emu.Command("garbage 3"), "OK");
  EXPECT_EQ(emu.Command("swapcrc"), "OK");
  const Bytes request = FromHex(kStatus);
  ASSERT_EQ(::write(port, request.data(), request.size()), 5);
  const std::string noisy = HexDump(ReadBytes(port, 9));
  ASSERT_EQ(noisy.size(), 9U * 3 - 1);
  EXPECT_EQ(noisy.find("FC"), 9U) << noisy << ": three noise bytes come first";
  EXPECT_EQ(noisy.substr(9), "FC 06 13 65 BD 94");
  EXPECT_EQ(Exchange(port, kStatus), "FC 06 13 65 94 BD") << "faults hit one reply only";

  EXPECT_EQ(Exchange(port, "FC 05 41 A2 04"), "FC 05 50 AA 05");
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 14 8A 01");
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 15 03 10");
  const Bytes ack = FromHex("FC 05 50 AA 05");
  ASSERT_EQ(::write(port, ack.data(), ack.size()), 5);
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 16 98 22") << "no reply to the ACK came first";
  EXPECT_EQ(Exchange(port, "FC 05 11 27 57"), "FC 05 4A 71 BA");
  ::close(port);

  EXPECT_EQ(emu.Command("counters"),
            "OK escrowed=1 stacked=1 returned=0 rejected=0 failures=0 stack1=1 stack2=0 return=0 "
            "ack=1 requests=8 badcrc=1 unknown=0");
  emu.CloseStdin();  // without TCP control, end of input ends the emulator
  EXPECT_EQ(emu.ReadLine().rfind("COUNTERS escrowed=1 stacked=1 ", 0), 0U);
  EXPECT_EQ(emu.Wait(), 0);
}

TEST(EmulatorProcess, SoakPutsBillsInByItselfAndBooksTheHostsAnswers) {
  EmulatorProcess emu({"--log", "/dev/null", "--start-state", "enabled", "--soak", "4", "--soak-rates",
                       "garbage=0,corrupt=0,swapcrc=0,truncate=0,short_silence=0,long_silence=0,"
                       "reject=0,fail=0,powerup=0,full=0,pause=0"});
  const std::string pty = ReadPtyPath(emu);
  ASSERT_EQ(emu.ReadLine(), "READY");
  const int port = OpenRawPort(pty);
  ASSERT_GE(port, 0);

  EXPECT_EQ(emu.Command("answer accept"), "ERR no bill in escrow");
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 11 27 56");
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 12 BC 64") << "the soak put a bill in";
  const std::string escrow = Exchange(port, kStatus);
  ASSERT_EQ(escrow.substr(0, 9), "FC 06 13 ");
  EXPECT_EQ(emu.Command("answer refuse"), "OK bill=0x" + escrow.substr(9, 2));
  EXPECT_EQ(Exchange(port, "FC 05 41 A2 04"), "FC 05 50 AA 05") << "Stack1 against the answer";
  ::close(port);
  const std::string counters = emu.Command("counters");
  EXPECT_EQ(counters.rfind("OK escrowed=1 ", 0), 0U) << counters;
  for (const char* field : {" bills=1 ", " escrow_offers=1 ", " answers_refuse=1 ", " answers_idle=1 ",
                            " stack1_refused=1 ", " draining=0"}) {
    EXPECT_NE(counters.find(field), std::string::npos) << field << " in " << counters;
  }

  EXPECT_EQ(emu.Command("soak off"), "OK");
  EXPECT_NE(emu.Command("counters").find(" draining=1"), std::string::npos);
  EXPECT_EQ(emu.Command("restart"), "OK");
  EXPECT_EQ(emu.Command("answer accept"), "ERR no soak running");
  EXPECT_EQ(emu.Command("counters").find("bills="), std::string::npos) << "restart ends the soak";
  EXPECT_EQ(emu.Command("soak 5 bills=3"), "OK");
  EXPECT_EQ(emu.Command("quit"), "OK");
  const std::string last = emu.ReadLine();
  EXPECT_EQ(last.rfind("COUNTERS escrowed=0 ", 0), 0U) << last;
  EXPECT_NE(last.find(" bills=0 "), std::string::npos) << last;
  EXPECT_EQ(emu.Wait(), 0);
}

class TcpClient {
 public:
  explicit TcpClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~TcpClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool connected() const { return fd_ >= 0; }
  std::string Command(const std::string& line) {
    WriteText(fd_, line + "\n");
    return ReadTextLine(fd_);
  }

 private:
  int fd_;
};

TEST(EmulatorProcess, TcpControlOutlivesStdinAndHangupMovesTheLink) {
  char dir_template[] = "/tmp/emu-test-XXXXXX";
  ASSERT_NE(::mkdtemp(dir_template), nullptr);
  const std::string link = std::string(dir_template) + "/com7";
  EmulatorProcess emu({"--log", "/dev/null", "--control-tcp", "0", "--link", link});
  const std::string pty = ReadPtyPath(emu);
  const std::string control = emu.ReadLine();
  ASSERT_EQ(control.rfind("CONTROL 127.0.0.1:", 0), 0U) << control;
  ASSERT_EQ(emu.ReadLine(), "READY");
  emu.CloseStdin();

  char target[256] = {};
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), pty);

  TcpClient client(std::atoi(control.c_str() + control.find(':') + 1));
  ASSERT_TRUE(client.connected());
  EXPECT_EQ(client.Command("status"),
            "OK state=0x40 inhibit=1 enabled=0x00 validated=0x00 direction=0x00 optional=0x0000");
  EXPECT_EQ(client.Command("insert 300"), "ERR insert expects a number from 0 to 255");

  const int old_port = OpenRawPort(link);
  ASSERT_GE(old_port, 0);
  EXPECT_EQ(Exchange(old_port, kStatus), "FC 05 40 2B 15");
  const std::string hangup = client.Command("hangup");
  ASSERT_EQ(hangup.rfind("OK PTY /dev/", 0), 0U) << hangup;
  // The old line is gone: the driver's side reads end of file or an error.
  std::uint8_t b = 0;
  EXPECT_LE(::read(old_port, &b, 1), 0);
  ::close(old_port);

  std::fill(std::begin(target), std::end(target), '\0');
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), hangup.substr(7));
  const int new_port = OpenRawPort(link);
  ASSERT_GE(new_port, 0);
  EXPECT_EQ(Exchange(new_port, kStatus), "FC 05 40 2B 15");

  // Away for a while, as an adapter being replugged: the old line is dead
  // and the link missing until a new line takes its place.
  EXPECT_EQ(client.Command("hangup 2000"), "OK AWAY 2000");
  EXPECT_LE(::read(new_port, &b, 1), 0);
  ::close(new_port);
  EXPECT_NE(::access(link.c_str(), F_OK), 0) << "no link while the line is away";
  EXPECT_EQ(client.Command("hangup x"), "ERR hangup expects nothing or a number from 0 to 86400000");
  bool back = false;
  for (int i = 0; i < 1000 && !back; ++i) {
    back = ::access(link.c_str(), F_OK) == 0;
    if (!back) ::usleep(10000);
  }
  ASSERT_TRUE(back) << "the line came back under its link";
  const int returned_port = OpenRawPort(link);
  ASSERT_GE(returned_port, 0);
  EXPECT_EQ(Exchange(returned_port, kStatus), "FC 05 40 2B 15");
  ::close(returned_port);

  emu.Signal(SIGTERM);
  EXPECT_EQ(emu.ReadLine().rfind("COUNTERS ", 0), 0U);
  EXPECT_EQ(emu.Wait(), 0);
  EXPECT_NE(::access(link.c_str(), F_OK), 0) << "the link is removed on exit";
  ::rmdir(dir_template);
}

TEST(EmulatorProcess, ScriptSilenceAndStreamShapeTheLine) {
  char script[] = "/tmp/emu-script-XXXXXX";
  const int script_fd = ::mkstemp(script);
  ASSERT_GE(script_fd, 0);
  WriteText(script_fd, "# set up before READY\nfail 0xA2\n");
  ::close(script_fd);
  const std::string log = std::string(script) + ".log";
  EmulatorProcess emu({"--log", log, "--script", script});
  const std::string pty = ReadPtyPath(emu);
  ASSERT_EQ(emu.ReadLine(), "READY");
  ::unlink(script);
  const int port = OpenRawPort(pty);
  ASSERT_GE(port, 0);
  EXPECT_EQ(Exchange(port, kStatus), "FC 06 49 A2 A0 21");

  // A silent device takes no request in: the one sent meanwhile is never answered or counted.
  EXPECT_EQ(emu.Command("silent 60000"), "OK");
  const Bytes request = FromHex(kStatus);
  ASSERT_EQ(::write(port, request.data(), request.size()), 5);
  EXPECT_TRUE(WaitForLogLine(log, "RX FC 05 11 27 56 (ignored: silent)"));
  EXPECT_EQ(emu.Command("status").substr(0, 14), "OK state=0x49 ") << "the control side still answers";
  EXPECT_EQ(emu.Command("silent 0"), "OK");
  EXPECT_EQ(Exchange(port, kStatus), "FC 06 49 A2 A0 21");

  EXPECT_NE(emu.Command("counters").find(" requests=2 "), std::string::npos);

  EXPECT_EQ(emu.Command("stream on"), "OK");
  const Bytes noise = ReadBytes(port, 4096);
  EXPECT_EQ(noise.size(), 4096U);
  EXPECT_EQ(std::count(noise.begin(), noise.end(), kFrameSync), 0);
  EXPECT_EQ(emu.Command("stream off"), "OK");
  ::tcflush(port, TCIFLUSH);
  EXPECT_EQ(emu.Command("restart"), "OK");
  ::tcflush(port, TCIFLUSH);  // noise that was still on its way
  EXPECT_EQ(Exchange(port, kStatus), "FC 05 40 2B 15");
  ::close(port);

  EXPECT_EQ(emu.Command("counters"),
            "OK escrowed=0 stacked=0 returned=0 rejected=0 failures=0 stack1=0 stack2=0 return=0 "
            "ack=0 requests=1 badcrc=0 unknown=0");
  EXPECT_EQ(emu.Command("quit"), "OK");
  EXPECT_EQ(emu.Wait(), 0);
  ::unlink(log.c_str());
}

}  // namespace
}  // namespace notarel::emu
