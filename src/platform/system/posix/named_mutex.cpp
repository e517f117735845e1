// POSIX named mutexes as presence markers: a lock file per name in a folder
// only this user owns. Every open handle holds a shared flock(); the
// creator is the one that could first take it exclusively, so "already
// exists" means another handle is open, as with CreateMutexW.
// The folder is $XDG_RUNTIME_DIR/orvane-mutex, else $TMPDIR (default /tmp)
// /orvane-mutex-<uid>. A shared /tmp lets another user create that name
// first and hold the locks; such a folder is refused, and the locks live in
// <application data>/orvane/mutex instead (made with its missing parents). Lock files are opened without
// following links.
// Not covered: waiting on or owning the mutex (the program never does).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "platform/system/known_folders.h"
#include "platform/system/named_mutex.h"

namespace platform {
namespace {

// Creates folder (mode 0700) when missing and tells whether it is a real
// folder of this user that nobody else may enter.
bool IsPrivateFolder(const std::string& folder) {
  mkdir(folder.c_str(), 0700);
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// Creates every missing folder above path (mode 0700, as the XDG base
// folders are made): a fresh account has no ~/.local/share yet.
void MakeMissingParents(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

std::string SharedLockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/') return std::string(runtime) + "/orvane-mutex";
  const char* temp = std::getenv("TMPDIR");
  const std::string base = (temp != nullptr && *temp == '/') ? temp : "/tmp";
  return base + "/orvane-mutex-" + std::to_string(geteuid());
}

// The lock folder, or empty when no private one can be had.
std::string LockFolder() {
  const std::string shared = SharedLockFolder();
  if (IsPrivateFolder(shared)) return shared;
  const std::string data = Utf16ToUtf8(GetAppDataFolder());
  if (data.empty()) return {};
  const std::string folder = data + "/orvane/mutex";
  MakeMissingParents(folder);
  return IsPrivateFolder(folder) ? folder : std::string();
}

std::string LockFileName(const std::u16string& name) {
  const std::string folder = LockFolder();
  if (folder.empty()) return {};
  std::string file = Utf16ToUtf8(name);
  for (char& c : file) {
    if (c == '/' || c == '\\') c = '_';
  }
  return folder + "/" + file + ".lock";
}

// Opens the lock file without following a link; it must be a regular file.
int OpenLockFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

// Takes the lock kind without waiting, retrying on signals only.
bool TryLock(int fd, int kind) {
  int rc;
  do {
    rc = flock(fd, kind | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

}  // namespace

NamedMutex::~NamedMutex() { Close(); }

bool NamedMutex::Create(const std::u16string& name, bool* alreadyExisted) {
  Close();
  *alreadyExisted = false;
  if (name.empty()) return false;
  const std::string path = LockFileName(name);
  if (path.empty()) return false;
  m_fd = OpenLockFile(path);
  if (m_fd < 0) return false;
  if (TryLock(m_fd, LOCK_EX)) {
    return TryLock(m_fd, LOCK_SH);  // downgrade: later openers see "exists"
  }
  *alreadyExisted = true;
  // The creator may be between its exclusive lock and the downgrade.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (TryLock(m_fd, LOCK_SH)) return true;
    usleep(1000);
  }
  return true;  // held exclusively by another handle all along: it exists
}

bool NamedMutex::Close() {
  if (m_fd < 0) return false;
  close(m_fd);
  m_fd = -1;
  return true;
}

bool NamedMutex::IsOpen() const { return m_fd >= 0; }

}  // namespace platform
