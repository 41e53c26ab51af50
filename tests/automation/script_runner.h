#pragma once
// Runs a script under the system's console script host (cscript) and reads
// back the UTF-16 text the script wrote to the file named by its first
// argument. The host and everything it starts run in a job, so a script that
// hangs is ended when the time-out passes.
#include <string>
#include <vector>

namespace notarel::test {

struct ScriptRun {
  bool started = false;   // the host could be started
  bool finished = false;  // it ended by itself within the time-out
  unsigned long exitCode = 0;
  std::wstring text;      // what the script wrote, without the byte-order mark
};

// Runs the script of that name beside the test program with the output file
// as first argument and then `arguments`, waiting at most `timeoutMs`.
ScriptRun RunScript(const std::wstring& script, const std::vector<std::wstring>& arguments,
                    unsigned long timeoutMs);

// The emulator's COM number, as the test script exported it ("5").
std::wstring EmulatorCom();

}  // namespace notarel::test
