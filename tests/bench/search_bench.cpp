// How long the device search takes over a machine with 32 serial ports
// (COM1 to COM32 in a device folder of the bench's own). Prints figures;
// asserts nothing about speed.
//
// "No device" is modelled by pseudo-terminals whose other side is held open but
// never answers: like a real port with nothing plugged in, each opens,
// configures, takes the request and stays silent, so every port costs its full
// read time-out. For comparison, dead entries (links to /dev/null, which opens
// but is no serial line) show the cost of the listing and of a failed opening,
// and a last run finds the emulator on the last of the 32 ports.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"
#include "emulator_peer.h"
#include "port_list.h"
#include "serial_posix.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPorts = 32;

// A device folder of 32 ports, removed with its silent lines at the end.
class PortFolder {
 public:
  PortFolder() {
    char pattern[] = "/tmp/notarel-search-bench-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~PortFolder() {
    for (int fd : masters_) close(fd);
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  PortFolder(const PortFolder&) = delete;
  PortFolder& operator=(const PortFolder&) = delete;

  bool Ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

  // COMn (ttyS(n-1)) pointing at `target`, replacing what was there.
  bool Link(int port, const std::string& target) {
    const std::string name = path_ + "/ttyS" + std::to_string(port - 1);
    unlink(name.c_str());
    return symlink(target.c_str(), name.c_str()) == 0;
  }
  // A pseudo-terminal that nobody answers on.
  std::string SilentLine() {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) return "/nonexistent";
    masters_.push_back(fd);
    return ptsname(fd);
  }

 private:
  std::string path_;
  std::vector<int> masters_;
};

struct Figures {
  double totalMs;
  bool found;
  int portNumber;
};

Figures TimeSearch(notarel::TDriver& driver) {
  const auto start = Clock::now();
  const bool found = driver.FindDevice();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return {ms, found, driver.PortNumber()};
}

void Report(const char* what, const std::vector<Figures>& runs) {
  double best = runs.front().totalMs;
  double sum = 0;
  for (const Figures& f : runs) {
    best = std::min(best, f.totalMs);
    sum += f.totalMs;
  }
  const int count = static_cast<int>(runs.size());
  const double mean = sum / count;
  const Figures& last = runs.back();
  std::printf("%-34s %d runs: mean %8.1f ms, best %8.1f ms, %6.2f ms a port; found %s (PortNumber %d)\n",
              what, count, mean, best, mean / kPorts, last.found ? "yes" : "no", last.portNumber);
}

std::vector<Figures> Runs(notarel::TDriver& driver, int count) {
  std::vector<Figures> runs;
  for (int i = 0; i < count; ++i) runs.push_back(TimeSearch(driver));
  return runs;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  PortFolder folder;
  if (!folder.Ok()) {
    std::printf("cannot make a device folder\n");
    return 1;
  }
  notarel::serial::SetDeviceFolder(folder.Path());
  notarel::TDriver driver;

  for (int port = 1; port <= kPorts; ++port) folder.Link(port, folder.SilentLine());
  notarel::SerialPortList list;
  notarel::ListSerialPorts(list);
  std::printf("%zu ports listed, COM%d to COM%d\n", list.size(), list.front().number,
              list.back().number);
  Report("no device (32 silent lines):", Runs(driver, rounds));

  for (int port = 1; port <= kPorts; ++port) folder.Link(port, "/dev/null");
  Report("dead entries (32 x /dev/null):", Runs(driver, rounds));

  auto peer = notarel::EmulatorPeer::Start();
  if (!peer) return 1;
  for (int port = 1; port < kPorts; ++port) folder.Link(port, folder.SilentLine());
  folder.Link(kPorts, peer->PortArgument());
  Report("device on COM32 after 31 silent:", Runs(driver, rounds));
  return 0;
}
