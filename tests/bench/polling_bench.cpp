// Polling figures: the CPU an idle polling loop costs, and how soon a bill in
// escrow is answered with Stack1. Prints figures; asserts nothing about speed.
//   polling_bench [idle seconds] [bills]
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "driver.h"
#include "emulator_peer.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The emulator is another process, so this process's CPU time is the driver's.
void MeasureIdleLoop(int seconds) {
  auto peer = notarel::EmulatorPeer::Start();
  if (!peer) return;
  notarel::TDriver driver;
  peer->Attach(driver);
  driver.SetBillEnabled(true);
  driver.StartPolling();  // default interval, 100 ms
  for (int i = 0; i < 200 && driver.LastPollStatus() != 0x11; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const double cpu0 = CpuSeconds();
  const auto wall0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double cpu = CpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  driver.StopPolling();
  std::printf("idle polling at 100 ms (device enabled, no bills): %.3f s CPU in %.1f s = %.3f%% of a core\n",
              cpu, wall, 100.0 * cpu / wall);
}

// A minimal device on a pseudo-terminal inside this process, so both ends of
// the latency are taken on one clock: it answers status requests with ESCROW
// until Stack1 comes, then with ENABLE for a few cycles, and everything else
// with ACK or the echo the driver expects.
class EscrowPeer {
 public:
  bool Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
    path_ = ptsname(master_);
    keep_ = open(path_.c_str(), O_RDWR | O_NOCTTY);  // the pty lives while we hold it
    termios tio{};
    tcgetattr(keep_, &tio);
    cfmakeraw(&tio);
    tcsetattr(keep_, TCSANOW, &tio);
    return keep_ >= 0;
  }
  ~EscrowPeer() {
    close(keep_);
    close(master_);
  }
  const std::string& Path() const { return path_; }

  void Serve(int bills) {
    std::vector<std::uint8_t> in;
    int idleCycles = 0;
    while (static_cast<int>(latenciesUs_.size()) < bills) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) return;
      std::uint8_t chunk[64];
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) return;
      in.insert(in.end(), chunk, chunk + n);
      while (in.size() >= 2 && in.size() >= in[1]) {
        const std::uint8_t command = in[2];
        in.erase(in.begin(), in.begin() + in[1]);
        Answer(command, idleCycles);
      }
    }
  }
  const std::vector<double>& LatenciesUs() const { return latenciesUs_; }

 private:
  void Send(const notarel::Bytes& body) {
    const notarel::Bytes frame = notarel::BuildFrame(body);
    if (write(master_, frame.data(), frame.size()) < 0) return;
  }
  void Answer(std::uint8_t command, int& idleCycles) {
    if (command == 0x11) {
      if (idleCycles > 0) {
        --idleCycles;
        Send({0x11});
      } else {
        Send({0x13, 0x66});
        escrowSent_ = Clock::now();
      }
    } else if (command == 0x41) {
      latenciesUs_.push_back(
          std::chrono::duration<double, std::micro>(Clock::now() - escrowSent_).count());
      idleCycles = 3;
      Send({0x50});
    } else if (command != 0x50) {
      Send({0x50});
    }
  }

  int master_ = -1;
  int keep_ = -1;
  std::string path_;
  Clock::time_point escrowSent_;
  std::vector<double> latenciesUs_;
};

void MeasureEscrowToStack(int bills) {
  EscrowPeer peer;
  if (!peer.Open()) return;
  notarel::TDriver driver;
  driver.SetPortPath(peer.Path());
  driver.SetBillEnabled(true);
  driver.SetPollingInterval(1);
  driver.SetOnBill([](std::int32_t, std::int16_t& accept) { accept = -1; });
  std::thread device([&] { peer.Serve(bills); });
  driver.StartPolling();
  device.join();
  driver.StopPolling();
  std::vector<double> us = peer.LatenciesUs();
  if (us.empty()) {
    std::printf("escrow to Stack1: no bill measured\n");
    return;
  }
  std::sort(us.begin(), us.end());
  std::printf("escrow reply to Stack1 request (handler answers at once): %zu bills, median %.0f us, "
              "p99 %.0f us, max %.0f us\n",
              us.size(), us[us.size() / 2], us[us.size() * 99 / 100], us.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
  const int bills = argc > 2 ? std::atoi(argv[2]) : 2000;
  MeasureEscrowToStack(bills);
  MeasureIdleLoop(idleSeconds);
  return 0;
}
