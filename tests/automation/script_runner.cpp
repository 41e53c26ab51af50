#include "script_runner.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "automation_test.h"

namespace notarel::test {
namespace {

std::wstring ReadUtf16File(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::wstring text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
}

// A job that ends every process in it when its last handle closes.
HANDLE KillingJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

}  // namespace

ScriptRun RunScript(const std::wstring& script, const std::vector<std::wstring>& arguments,
                    unsigned long timeoutMs) {
  ScriptRun run;
  const std::wstring out = TestDir() + script + L".out";
  DeleteFileW(out.c_str());
  std::wstring command = L"cscript.exe //nologo \"" + TestDir() + script + L"\" \"" + out + L"\"";
  for (const std::wstring& argument : arguments) command += L" \"" + argument + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  HANDLE job = KillingJob();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &process)) {
    if (job) CloseHandle(job);
    return run;
  }
  run.started = true;
  if (job) AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  run.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!run.finished) {
    if (job) TerminateJobObject(job, 1);
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 10000);
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (job) CloseHandle(job);  // ends a script host the forwarder left behind
  run.text = ReadUtf16File(out);
  return run;
}

std::wstring EmulatorCom() {
  const char* com = std::getenv("NOTAREL_EMU_COM");
  return com ? std::wstring(com, com + std::strlen(com)) : std::wstring();
}

}  // namespace notarel::test
