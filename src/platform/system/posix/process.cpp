// POSIX processes: the process list from /proc, tokens as owner uids, user
// names from the passwd database, SIDs derived from uids ("S-1-5-21-0-0-0-<uid>"),
// integrity from the effective uid, SIGKILL for termination, fork/exec for
// ShellExecute "open", pkexec for "runas".
// Not covered: real impersonation (only the identity queries of the calling
// thread follow ImpersonateLoggedOnUser; file access keeps the process's
// rights), access checks when opening another user's process token.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/command_line.h"
#include "common/text.h"
#include "platform/system/process.h"

namespace platform {
namespace {

thread_local std::optional<uid_t> t_impersonatedUid;

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  std::getline(in, text, '\0');
  return text;
}

// The executable's file name: the /proc exe link when readable (own processes
// or root), else the first argument, else the kernel's short name.
std::string ExecutableName(const std::string& procDir) {
  char target[4096];
  const ssize_t len = readlink((procDir + "/exe").c_str(), target, sizeof(target) - 1);
  if (len > 0) {
    std::string path(target, static_cast<size_t>(len));
    if (path.ends_with(" (deleted)")) path.resize(path.size() - 10);
    return BaseName(path);
  }
  const std::string argv0 = ReadSmallFile(procDir + "/cmdline");
  if (!argv0.empty()) return BaseName(argv0);
  std::string comm = ReadSmallFile(procDir + "/comm");
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  return comm;
}

std::u16string SidForUid(uid_t uid) { return u"S-1-5-21-0-0-0-" + ToU16(uid); }

uid_t EffectiveIdentity() { return t_impersonatedUid.value_or(geteuid()); }

std::string FindInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs argv in the calling (child) process: the file argv[0], or the open
// descriptor execFd when it is not -1. The descriptor stays open across the
// exec so that a script can be read by its interpreter through /dev/fd.
void ExecProgram(char* const* args, int execFd) {
  if (execFd < 0) {
    execv(args[0], args);
    return;
  }
  const int flags = fcntl(execFd, F_GETFD);
  if (flags >= 0) fcntl(execFd, F_SETFD, flags & ~FD_CLOEXEC);
  fexecve(execFd, args, environ);
}

// Starts argv detached (double fork, so no zombie is left behind) and reports
// whether exec succeeded, through a close-on-exec pipe.
bool SpawnDetached(const std::vector<std::string>& argv, int execFd = -1) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (child == 0) {
    close(fds[0]);
    setsid();
    if (fork() == 0) {
      ExecProgram(args.data(), execFd);
      const int err = errno;
      (void)!write(fds[1], &err, sizeof(err));
      _exit(127);
    }
    _exit(0);
  }
  close(fds[1]);
  int status = 0;
  waitpid(child, &status, 0);
  int execError = 0;
  ssize_t got;
  do {
    got = read(fds[0], &execError, sizeof(execError));
  } while (got < 0 && errno == EINTR);
  close(fds[0]);
  return got == 0;  // the pipe closed on a successful exec
}

std::vector<std::string> ArgumentsOf(const std::u16string& file, const std::u16string& parameters) {
  std::vector<std::string> argv{Utf16ToUtf8(file)};
  for (const auto& arg : SplitCommandLine(parameters)) argv.push_back(Utf16ToUtf8(arg));
  return argv;
}

// The name of the sealed copy of the file st describes, as /proc/PID/exe
// shows a process started from it: the copy is tied to the file by identity,
// so that a running installer is found as if it ran from its file.
std::string SealedCopyName(const struct stat& st) {
  return "orv-installer:" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// ShellExecute runs documents and programs alike; here a program file that
// lost its execute bit (a fresh download) is made executable first.
void MakeExecutable(const std::string& file) {
  struct stat st;
  if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR) == 0) {
    chmod(file.c_str(), st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH);
  }
}

}  // namespace

std::vector<ProcessEntry> SnapshotProcesses() {
  std::vector<uint32_t> pids;
  if (DIR* dir = opendir("/proc")) {
    while (const dirent* entry = readdir(dir)) {
      char* end = nullptr;
      const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
      if (end != entry->d_name && *end == '\0') pids.push_back(static_cast<uint32_t>(pid));
    }
    closedir(dir);
  }
  std::sort(pids.begin(), pids.end());
  std::vector<ProcessEntry> list;
  for (uint32_t pid : pids) {
    const std::string name = ExecutableName("/proc/" + std::to_string(pid));
    if (!name.empty()) list.push_back({pid, Utf8ToUtf16(name)});
  }
  return list;
}

bool IsProgramFileRunning(const std::u16string& path) {
  struct stat file;
  if (stat(Utf16ToUtf8(path).c_str(), &file) != 0) return false;
  const std::string copy = "/memfd:" + SealedCopyName(file) + " (deleted)";
  for (const ProcessEntry& entry : SnapshotProcesses()) {
    // The link leads to the image's inode even when it was started from a
    // descriptor or its path has changed since; a program started from its
    // sealed copy shows the copy's name.
    const std::string exe = "/proc/" + std::to_string(entry.pid) + "/exe";
    struct stat image;
    if (stat(exe.c_str(), &image) == 0 && image.st_dev == file.st_dev && image.st_ino == file.st_ino)
      return true;
    char target[512];
    const ssize_t length = readlink(exe.c_str(), target, sizeof(target));
    if (length > 0 && std::string_view(target, static_cast<size_t>(length)) == copy) return true;
  }
  return false;
}

ProcessToken::~ProcessToken() { Reset(); }

ProcessToken::ProcessToken(ProcessToken&& other) noexcept { *this = std::move(other); }

ProcessToken& ProcessToken::operator=(ProcessToken&& other) noexcept {
  m_valid = other.m_valid;
  m_uid = other.m_uid;
  other.m_valid = false;
  return *this;
}

void ProcessToken::Reset() { m_valid = false; }

bool OpenProcessToken(uint32_t pid, ProcessToken* token) {
  token->Reset();
  struct stat st;
  if (stat(("/proc/" + std::to_string(pid)).c_str(), &st) != 0) return false;
  token->m_uid = st.st_uid;
  token->m_valid = true;
  return true;
}

bool ImpersonateLoggedOnUser(const ProcessToken& token) {
  if (!token.m_valid) return false;
  t_impersonatedUid = token.m_uid;
  return true;
}

bool RevertToSelf() {
  t_impersonatedUid.reset();
  return true;
}

bool QueryUserName(std::u16string* name) {
  passwd pw;
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(EffectiveIdentity(), &pw, buffer, sizeof(buffer), &found) != 0 || !found) {
    return false;
  }
  *name = Utf8ToUtf16(found->pw_name);
  return true;
}

bool LookupAccountSidText(const std::u16string& accountName, std::u16string* sidText) {
  passwd pw;
  passwd* found = nullptr;
  char buffer[4096];
  const std::string name = Utf16ToUtf8(accountName);
  if (getpwnam_r(name.c_str(), &pw, buffer, sizeof(buffer), &found) != 0 || !found) return false;
  *sidText = SidForUid(found->pw_uid);
  return true;
}

std::u16string CurrentUserSidText() { return SidForUid(geteuid()); }

bool TerminateProcess(uint32_t pid) { return pid != 0 && kill(static_cast<pid_t>(pid), SIGKILL) == 0; }

uint32_t GetProcessIntegrityRid() { return geteuid() == 0 ? 0x3000 : 0x2000; }

bool SystemPredatesIntegrityLevels() { return false; }

bool ShellOpen(const std::u16string& file, const std::u16string& parameters) {
  const std::string path = Utf16ToUtf8(file);
  if (path.empty()) return false;
  MakeExecutable(path);
  return SpawnDetached(ArgumentsOf(file, parameters));
}

bool ShellRunAs(const std::u16string& file, const std::u16string& parameters) {
  const std::string pkexec = FindInPath("pkexec");
  if (pkexec.empty() || file.empty()) return false;
  MakeExecutable(Utf16ToUtf8(file));
  std::vector<std::string> argv{pkexec};
  for (auto& arg : ArgumentsOf(file, parameters)) argv.push_back(std::move(arg));
  return SpawnDetached(argv);
}

namespace {

// A sealed in-memory copy of the open file: once sealed, nobody (this
// process included) can write, grow or shrink it, whoever else holds the
// original through another descriptor or a hard link. -1 when it cannot be
// made.
int SealedCopyOf(int source) {
  struct stat st;
  if (fstat(source, &st) != 0) return -1;
  const int copy = memfd_create(SealedCopyName(st).c_str(), MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (copy < 0) return -1;
  off_t offset = 0;
  while (offset < st.st_size) {
    const ssize_t sent = sendfile(copy, source, &offset, static_cast<size_t>(st.st_size - offset));
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) break;
  }
  // A file that grew meanwhile is copied as far as it was at the start; the
  // checks see exactly the bytes of the copy.
  if (offset != st.st_size ||
      fcntl(copy, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0 ||
      lseek(copy, 0, SEEK_SET) != 0) {
    close(copy);
    return -1;
  }
  return copy;
}

}  // namespace

bool CCheckedProgram::Open(const std::u16string& path) {
  CFileHandle original;
  if (!original.OpenRegularForReading(path)) return false;
  // The bytes checked and run are a sealed copy: a write through another
  // descriptor or hard link after the check changes nothing that runs.
  const int copy = SealedCopyOf(static_cast<int>(original.Native()));
  if (copy < 0) return false;
  m_file.Close();
  m_file.m_handle = copy;
  m_file.m_path = path;
  return true;
}

bool CCheckedProgram::StartHidden(const std::u16string& parameters) {
  if (!m_file.IsOpen()) return false;
  // The sealed copy is executable as made (mode 0777), a script too: its
  // interpreter reads it through /dev/fd.
  const bool started =
      SpawnDetached(ArgumentsOf(m_file.Path(), parameters), static_cast<int>(m_file.Native()));
  Close();
  return started;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

}  // namespace platform
