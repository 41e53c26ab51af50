// The emulator as a child process: commands on its standard input, one reply
// line each on its standard output.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "emulator_peer.h"

namespace notarel {
namespace {

constexpr int kReplyTimeoutMs = 5000;

class ProcessPeer : public EmulatorPeer {
 public:
  ~ProcessPeer() override { Stop(); }

  bool Launch(const std::vector<std::string>& extraArgs) {
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      std::vector<std::string> args{NOTAREL_EMU_PATH, "--log", "/dev/null"};
      args.insert(args.end(), extraArgs.begin(), extraArgs.end());
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(NOTAREL_EMU_PATH, argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    if (pid_ < 0) return false;
    // Ready is what the emulator says, not a guess at how long it takes.
    for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
      if (line.rfind("PTY ", 0) == 0) path_ = line.substr(4);
      if (line == "READY") return !path_.empty();
    }
    return false;
  }

  std::string Command(const std::string& line) override {
    const std::string text = line + "\n";
    if (write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
    std::string reply = ReadLine();
    if (reply.rfind("OK PTY ", 0) == 0) path_ = reply.substr(7);  // after a hang-up
    return reply;
  }

  void Attach(TDriver& driver) override { driver.SetPortPath(path_); }
  std::string PortArgument() const override { return path_; }
  bool CanTestExclusiveOpen() const override { return true; }

 private:
  std::string ReadLine() {
    std::string line;
    for (;;) {
      const auto end = buffered_.find('\n');
      if (end != std::string::npos) {
        line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return line;
      }
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, kReplyTimeoutMs) <= 0) return {};
      char chunk[256];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffered_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  void Stop() {
    if (pid_ <= 0) return;
    close(in_);  // end of input ends the emulator
    for (int i = 0; i < 200 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (i == 100) kill(pid_, SIGTERM);
    }
    if (waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string path_;
  std::string buffered_;
};

}  // namespace

std::unique_ptr<EmulatorPeer> EmulatorPeer::Start() { return Start({}); }

std::unique_ptr<EmulatorPeer> EmulatorPeer::StartAt(int) { return Start({}); }

std::unique_ptr<EmulatorPeer> EmulatorPeer::Start(const std::vector<std::string>& extraArgs) {
  auto peer = std::make_unique<ProcessPeer>();
  if (peer->Launch(extraArgs)) return peer;
  ADD_FAILURE() << "the emulator " << NOTAREL_EMU_PATH << " did not start";
  return nullptr;
}

}  // namespace notarel
