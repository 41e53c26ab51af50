// Prints what the Win32 serial backend does on this machine's COM link: how
// long reads with nothing coming take, whether queue sizing and purging work,
// what text a missing port gives, what happens when the peer hangs up, and how
// fast status round trips are. Figures only, no verdicts: the machines that run
// it are shared and their timing is noisy.
//
// Needs the emulator behind COM5 as the Windows tests' fixtures provide it
// (ctest -C probe -R wine_serial_probe runs it).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

double NowMs() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Describe(bool ok, SystemError error) {
  if (ok) return "succeeds";
  return "fails, error " + std::to_string(error) + " \"" + serial::ErrorText(error) + "\"";
}

PortHandle OpenConfigured(const std::string& name) {
  SystemError error = 0;
  const PortHandle port = serial::Open(name, error);
  if (port == kInvalidPort) {
    std::printf("open %s: %s\n", name.c_str(), Describe(false, error).c_str());
    return port;
  }
  const bool ok = serial::SetTimeouts(port, kDriverTimeouts, error) &&
                  serial::SetLineFormat(port, 9600, error);
  if (!ok) std::printf("configure %s: %s\n", name.c_str(), Describe(false, error).c_str());
  return port;
}

// Shortest, middle and longest of several timed empty reads of n bytes.
void ProbeEmptyRead(PortHandle port, std::size_t n) {
  std::vector<double> times;
  Bytes data(n);
  std::size_t received = 0;
  SystemError error = 0;
  bool ok = true;
  for (int i = 0; i < 5; ++i) {
    const double start = NowMs();
    ok = serial::Read(port, data.data(), n, received, error) && ok;
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  std::printf("read of %zu byte(s), nothing coming (asked %u ms): min %.1f, median %.1f, max %.1f ms;"
              " call %s, received %zu\n",
              n, static_cast<unsigned>(kDriverTimeouts.readPerByte * n + kDriverTimeouts.readConstant),
              times.front(), times[times.size() / 2], times.back(), Describe(ok, error).c_str(),
              received);
}

void ProbeQueuesAndPurge(PortHandle port) {
  SystemError error = 0;
  const bool queues = serial::SetupQueues(port, 1024, 1024, error);
  std::printf("SetupComm(1024, 1024): %s\n", Describe(queues, error).c_str());
  const bool purge = serial::Purge(port, error);
  std::printf("PurgeComm(0x0F): %s\n", Describe(purge, error).c_str());
}

void ProbeRoundTrips(PortHandle port, int count) {
  Bytes reply(5);
  int good = 0;
  const double start = NowMs();
  for (int i = 0; i < count; ++i) {
    std::size_t n = 0;
    SystemError error = 0;
    serial::Purge(port, error);
    serial::Write(port, kStatusRequest.data(), kStatusRequest.size(), n, error);
    std::size_t got = 0;
    while (got < reply.size() && serial::Read(port, reply.data() + got, reply.size() - got, n, error) &&
           n > 0) {
      got += n;
    }
    if (got == reply.size() && FrameCrcMatches(reply)) ++good;
  }
  const double total = NowMs() - start;
  std::printf("%d status round trips: %.1f ms in all, %.3f ms each, %d valid replies\n", count,
              total, total / count, good);
}

void ProbeHangUp(EmulatorPeer& peer, PortHandle port) {
  std::printf("emulator hangup: %s\n", peer.Command("hangup").c_str());
  SystemError error = 0;
  std::size_t n = 0;
  double start = NowMs();
  const bool wrote = serial::Write(port, kStatusRequest.data(), kStatusRequest.size(), n, error);
  std::printf("  write on the old handle: %s, %zu written, %.1f ms\n",
              Describe(wrote, error).c_str(), n, NowMs() - start);
  Bytes data(5);
  for (int i = 0; i < 2; ++i) {
    error = 0;
    start = NowMs();
    const bool read = serial::Read(port, data.data(), data.size(), n, error);
    std::printf("  read %d on the old handle: %s, %zu received, %.1f ms\n", i + 1,
                Describe(read, error).c_str(), n, NowMs() - start);
  }
  const bool purge = serial::Purge(port, error);
  std::printf("  purge on the old handle: %s\n", Describe(purge, error).c_str());
}

TEST(SerialProbe, PrintFigures) {
  auto peer = EmulatorPeer::Start();
  ASSERT_TRUE(peer);
  const std::string name = "\\\\.\\" + peer->PortArgument();
  std::printf("port %s\n", name.c_str());

  PortHandle port = OpenConfigured(name);
  ASSERT_NE(port, kInvalidPort);
  ProbeQueuesAndPurge(port);
  ProbeEmptyRead(port, 1);
  ProbeEmptyRead(port, 10);
  ProbeRoundTrips(port, 200);

  SystemError error = 0;
  const bool missing = serial::Open(serial::PortName(30), error) != kInvalidPort;
  std::printf("open %s: %s\n", serial::PortName(30).c_str(), Describe(missing, error).c_str());

  ProbeHangUp(*peer, port);
  serial::Close(port);
  port = OpenConfigured(name);
  std::printf("reopened after the hangup: %s\n", port == kInvalidPort ? "no" : "yes");
  if (port != kInvalidPort) {
    ProbeRoundTrips(port, 10);
    serial::Close(port);
  }
}

}  // namespace
}  // namespace notarel
