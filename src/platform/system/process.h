// Processes: the process list, tokens, user identity, integrity level,
// termination and starting programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/file_handle.h"

namespace platform {

struct ProcessEntry {
  uint32_t pid = 0;
  std::u16string exeName;  // file name of the executable, without folder
};

// Lists the running processes, in the order the system reports them.
std::vector<ProcessEntry> SnapshotProcesses();

// True when a process that may be inspected runs the program file at path:
// the same file as its image (by file identity, so another name for it
// counts and another file of the same name does not). False when the file
// does not exist. Windows: the toolhelp list and QueryFullProcessImageNameW;
// POSIX: the /proc exe links.
[[nodiscard]] bool IsProgramFileRunning(const std::u16string& path);

// A process's access token. On POSIX it is the uid that owns the process.
class ProcessToken {
 public:
  ProcessToken() = default;
  ~ProcessToken();
  ProcessToken(ProcessToken&& other) noexcept;
  ProcessToken& operator=(ProcessToken&& other) noexcept;
  ProcessToken(const ProcessToken&) = delete;
  ProcessToken& operator=(const ProcessToken&) = delete;

  bool IsValid() const { return m_valid; }
  void Reset();

 private:
  friend bool OpenProcessToken(uint32_t pid, ProcessToken* token);
  friend bool ImpersonateLoggedOnUser(const ProcessToken& token);
  bool m_valid = false;
#if defined(_WIN32)
  void* m_handle = nullptr;
#else
  uint32_t m_uid = 0;
#endif
};

// Opens the token of process pid (OpenProcess + OpenProcessToken on Windows).
// Fails when the process is gone or may not be inspected.
[[nodiscard]] bool OpenProcessToken(uint32_t pid, ProcessToken* token);

// Makes the calling thread act as the token's user until RevertToSelf.
// On POSIX only the identity queries below see it; file access does not change.
[[nodiscard]] bool ImpersonateLoggedOnUser(const ProcessToken& token);
bool RevertToSelf();

// The user name of the calling thread (the impersonated user while impersonating).
[[nodiscard]] bool QueryUserName(std::u16string* name);

// Looks up an account by name and renders its SID as text ("S-1-5-21-...").
// On POSIX the SID of uid U is "S-1-5-21-0-0-0-U".
[[nodiscard]] bool LookupAccountSidText(const std::u16string& accountName, std::u16string* sidText);

// The SID text of the user the process runs as (the owner of HKEY_CURRENT_USER).
std::u16string CurrentUserSidText();

// Ends process pid at once. Fails when it cannot be opened or ended.
[[nodiscard]] bool TerminateProcess(uint32_t pid);

// The mandatory integrity RID of the process token (0x2000 medium, 0x3000
// high), or 0 when it cannot be read. On POSIX: 0x3000 for euid 0, else 0x2000.
uint32_t GetProcessIntegrityRid();
// True when the system has no integrity levels (Windows before Vista).
bool SystemPredatesIntegrityLevels();

// Starts a program as ShellExecuteW "open" does: file with a Windows-style
// parameter string, not waiting for it. True when it was started.
[[nodiscard]] bool ShellOpen(const std::u16string& file, const std::u16string& parameters);
// Starts a program elevated ("runas"); the system asks the user. On POSIX this
// goes through pkexec when it is installed and fails otherwise.
[[nodiscard]] bool ShellRunAs(const std::u16string& file, const std::u16string& parameters);

// A program file held from its check to its start, so that the bytes the
// caller checked are the bytes that run: on Windows the file stays open with
// a share mode that lets others read it but not write, rename or delete it,
// and is started by its own path with every link resolved; on POSIX a sealed
// in-memory copy is read and that copy itself is executed, whatever the path
// names or the file holds by then. Movable, not copyable; closed on
// destruction.
class CCheckedProgram {
 public:
  CCheckedProgram() = default;

  // Opens the regular file at path for reading and holds it (on POSIX: its
  // sealed copy). False when it cannot be opened or copied, is a link (never
  // followed), a folder, pipe or device, or (on Windows) another process has
  // it open for writing or deleting.
  [[nodiscard]] bool Open(const std::u16string& path);
  // Reads the next piece from the file's start; *read is 0 at the end.
  [[nodiscard]] bool Read(void* buffer, uint32_t size, uint32_t* read) {
    return m_file.Read(buffer, size, read);
  }
  // Moves to offset from the file's start, for the next Read.
  [[nodiscard]] bool SeekTo(uint64_t offset) { return m_file.SeekTo(offset); }
  [[nodiscard]] bool Size(uint64_t* size) const { return m_file.Size(size); }
  // The held file, for the system's questions about it.
  const CFileHandle& File() const { return m_file; }
  // Starts the held file with a Windows-style parameter string and no
  // window shown (ShellExecuteExW "open", SW_HIDE), not waiting for it. True
  // when it started. The file is released afterwards either way.
  [[nodiscard]] bool StartHidden(const std::u16string& parameters);
  void Close() { m_file.Close(); }

 private:
  CFileHandle m_file;  // Windows: the file, opened for shared reading; POSIX: its sealed copy
};

// Id of the calling process.
uint32_t CurrentProcessId();

}  // namespace platform
