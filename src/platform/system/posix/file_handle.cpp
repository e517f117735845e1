// POSIX file handles: open/read/write/lseek on a descriptor.
// Covers creating, opening, reading, writing and positioning whole files.
// Not covered: Windows share modes (POSIX has no mandatory sharing, so
// "shared with nobody" is not enforced) and file attributes at creation.
// A write beyond RLIMIT_FSIZE raises SIGXFSZ; a caller that wants the
// failure as a return value ignores that signal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/text.h"
#include "platform/system/file_handle.h"

namespace platform {
namespace {

thread_local bool t_writeLackedRoom = false;

bool IsLackOfRoom(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// A regular file of this user with no other name, or anything that is not a
// regular file nor a link (pipes, devices).
bool IsOwnFileOrDevice(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return false;
  return !S_ISREG(st.st_mode) || (st.st_nlink == 1 && st.st_uid == ::geteuid());
}

// Opens name with access when it is a regular file itself (and, with ownOnly,
// one of this user with no other name); -1 otherwise. A link is not followed
// and O_NONBLOCK keeps a FIFO from blocking the open until it is refused.
int OpenRegular(const std::string& name, int access, bool ownOnly) {
  const int fd = ::open(name.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  bool accepted = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ownOnly) accepted = accepted && IsOwnFileOrDevice(st);
  const int flags = ::fcntl(fd, F_GETFL);
  if (!accepted || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

CFileHandle::~CFileHandle() { Close(); }

CFileHandle::CFileHandle(CFileHandle&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kInvalid)), m_path(std::move(other.m_path)) {}

CFileHandle& CFileHandle::operator=(CFileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    m_handle = std::exchange(other.m_handle, kInvalid);
    m_path = std::move(other.m_path);
  }
  return *this;
}

bool CFileHandle::CreateForWriting(const std::u16string& path) {
  Close();
  const int fd = ::open(Utf16ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  m_handle = fd;
  m_path = path;
  return true;
}

bool CFileHandle::OpenForReading(const std::u16string& path) {
  Close();
  const int fd = ::open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  // CreateFileW refuses folders unless asked for backup semantics.
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  m_handle = fd;
  m_path = path;
  return true;
}

bool CFileHandle::CreateReplacingForWriting(const std::u16string& path) {
  Close();
  const std::string name = Utf16ToUtf8(path);
  // A link, a file that shares its data with another name or a file of
  // another user is removed rather than written through; pipes and devices
  // are written as they are.
  struct stat st {};
  if (::lstat(name.c_str(), &st) == 0 && !IsOwnFileOrDevice(st) && ::unlink(name.c_str()) != 0) return false;
  // O_NOFOLLOW: a link planted again after the check makes the create fail;
  // a file planted again is refused after the open.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (::fstat(fd, &st) != 0 || !IsOwnFileOrDevice(st)) {
    ::close(fd);
    return false;
  }
  m_handle = fd;
  m_path = path;
  return true;
}

bool CFileHandle::OpenRegularForReading(const std::u16string& path) {
  Close();
  const int fd = OpenRegular(Utf16ToUtf8(path), O_RDONLY, false);
  if (fd < 0) return false;
  m_handle = fd;
  m_path = path;
  return true;
}

bool CFileHandle::OpenOwnRegularForAppending(const std::u16string& path) {
  Close();
  const int fd = OpenRegular(Utf16ToUtf8(path), O_WRONLY | O_APPEND, true);
  if (fd < 0) return false;
  m_handle = fd;
  m_path = path;
  return true;
}

bool CFileHandle::Read(void* buffer, uint32_t size, uint32_t* read) {
  *read = 0;
  if (!IsOpen()) return false;
  ssize_t got;
  do {
    got = ::read(static_cast<int>(m_handle), buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return false;
  *read = static_cast<uint32_t>(got);
  return true;
}

bool CFileHandle::Write(const void* buffer, uint32_t size, uint32_t* written) {
  *written = 0;
  if (!IsOpen()) return false;
  const char* bytes = static_cast<const char*>(buffer);
  while (*written < size) {
    const ssize_t put = ::write(static_cast<int>(m_handle), bytes + *written, size - *written);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && IsLackOfRoom(errno)) t_writeLackedRoom = true;
    if (put <= 0) return false;
    *written += static_cast<uint32_t>(put);
  }
  return true;
}

bool CFileHandle::Flush() { return IsOpen() && ::fsync(static_cast<int>(m_handle)) == 0; }

bool WriteLackedRoom() { return t_writeLackedRoom; }

void ForgetWriteFailures() { t_writeLackedRoom = false; }

bool CFileHandle::SeekTo(uint64_t offset) {
  return IsOpen() && ::lseek(static_cast<int>(m_handle), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool CFileHandle::SeekToEnd() { return IsOpen() && ::lseek(static_cast<int>(m_handle), 0, SEEK_END) >= 0; }

bool CFileHandle::Size(uint64_t* size) const {
  struct stat st;
  if (fstat(static_cast<int>(m_handle), &st) != 0) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

void CFileHandle::Close() {
  if (IsOpen()) ::close(static_cast<int>(m_handle));
  m_handle = kInvalid;
  m_path.clear();
}

}  // namespace platform
