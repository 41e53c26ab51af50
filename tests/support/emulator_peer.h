#pragma once
// The device emulator as a test's serial peer.
//
// Natively each peer is a fresh rud003-emu process on its own pseudo-terminal,
// started by the test and ended by its process id. Under Wine the script that
// runs the tests starts one emulator behind a COM link and hands its control
// address over in the environment; each peer then restarts that emulator.
#include <memory>
#include <string>
#include <vector>

namespace notarel {
class TDriver;

class EmulatorPeer {
 public:
  virtual ~EmulatorPeer() = default;

  // A peer in the power-up state with no faults pending. Fails the calling test
  // (and returns null) when no emulator can be had.
  static std::unique_ptr<EmulatorPeer> Start();
  // The same with more options on the emulator's command line (after its own
  // "--log /dev/null", so a "--log FILE" here wins). Under Wine the emulator
  // is already running and its options cannot change: they are ignored, and a
  // caller that needs a behaviour there asks for it with a control command.
  static std::unique_ptr<EmulatorPeer> Start(const std::vector<std::string>& extraArgs);
  // One of several emulators at once, for tests of several acceptors in one
  // process; index 0 is the one Start gives. Natively every call starts a
  // fresh emulator. Under Wine the script starts three more behind COM6 to
  // COM8 for the tests that ask for them (NOTAREL_EMU_COM_1 to _3 and
  // NOTAREL_EMU_CONTROL_1 to _3 in the environment).
  static std::unique_ptr<EmulatorPeer> StartAt(int index);

  // Sends one control line and returns the emulator's one-line reply
  // ("OK ..." or "ERR ..."), or "" when the emulator did not answer.
  virtual std::string Command(const std::string& line) = 0;

  // Points the port at the emulator: its device path natively, its COM number under Wine.
  virtual void Attach(TDriver& driver) = 0;
  // The same as a user gives it to the command-line tool: a path, or "COMn".
  virtual std::string PortArgument() const = 0;

  // Whether the platform can run a second program on the same port (POSIX only:
  // Wine does not enforce exclusive opening).
  virtual bool CanTestExclusiveOpen() const = 0;
};

}  // namespace notarel
