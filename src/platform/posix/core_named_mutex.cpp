// POSIX named mutexes as presence markers: a lock file per name in the
// user's runtime folder. Every open handle holds a shared flock(); the
// creator is the one that could first take it exclusively, so "already
// exists" means another handle is open, as with CreateMutexW.
// Not covered: waiting on or owning the mutex (the program never does).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "platform/named_mutex.h"

namespace platform {
namespace {

std::string LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = (runtime && *runtime) ? std::string(runtime) + "/orvane-mutex"
                                             : "/tmp/orvane-mutex-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

std::string LockFileName(const std::u16string& name) {
  std::string file = Utf16ToUtf8(name);
  for (char& c : file) {
    if (c == '/' || c == '\\') c = '_';
  }
  return LockFolder() + "/" + file + ".lock";
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
  m_fd = open(LockFileName(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
