// Child processes on Windows: CreateProcessW with a quoted command line,
// WaitForSingleObject, TerminateProcess. A process ended by TerminateProcess
// counts as killed (no exit code), like a signal death on POSIX.
#include <windows.h>

#include "common/command_line.h"
#include "common/text.h"
#include "support/child_process.h"

namespace {

constexpr DWORD kKilledExitCode = 0xDEAD;

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& outputFile) {
  std::vector<std::u16string> wide;
  for (const auto& a : args) wide.push_back(Utf8ToUtf16(a));
  std::u16string commandLine = JoinCommandLine(wide);
  const std::u16string file = Utf8ToUtf16(program);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE output = INVALID_HANDLE_VALUE;
  if (!outputFile.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    output = CreateFileW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(outputFile).c_str()), GENERIC_WRITE,
                         FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  PROCESS_INFORMATION info{};
  if (CreateProcessW(reinterpret_cast<const wchar_t*>(file.c_str()),
                     reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
                     output != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup, &info)) {
    m_pid = static_cast<int>(info.dwProcessId);
    m_handle = reinterpret_cast<intptr_t>(info.hProcess);
    CloseHandle(info.hThread);
  }
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
}

ChildProcess::~ChildProcess() {
  Kill();
  if (m_handle) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (m_handle == 0 || m_reaped) return std::nullopt;
  if (WaitForSingleObject(reinterpret_cast<HANDLE>(m_handle), static_cast<DWORD>(timeout.count())) !=
      WAIT_OBJECT_0) {
    return std::nullopt;
  }
  m_reaped = true;
  DWORD code = 0;
  GetExitCodeProcess(reinterpret_cast<HANDLE>(m_handle), &code);
  if (code == kKilledExitCode) return std::nullopt;
  return static_cast<int>(code);
}

void ChildProcess::Kill() {
  if (m_handle == 0 || m_reaped) return;
  TerminateProcess(reinterpret_cast<HANDLE>(m_handle), kKilledExitCode);
  WaitForSingleObject(reinterpret_cast<HANDLE>(m_handle), 10000);
  m_reaped = true;
}
