// Signal-safe input and output for the crash filter: write(2) over a fixed
// buffer, process_vm_readv for memory, read(2) for /proc files.
// Covers buffered writes, padding and copying possibly unreadable memory.
// Not covered: seeking (dumps are written front to back).
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/crash/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

// Writes all of size bytes; false on the first failure.
bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

constexpr size_t kPageSize = 4096;

}  // namespace

void CSafeWriter::Drain() {
  if (m_used > 0 && !WriteAll(m_fd, m_buffer, m_used)) m_failed = true;
  m_used = 0;
}

void CSafeWriter::Bytes(const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  m_position += static_cast<uint32_t>(size);
  while (size > 0) {
    if (m_used == sizeof m_buffer) Drain();
    const size_t take = size < sizeof m_buffer - m_used ? size : sizeof m_buffer - m_used;
    memcpy(m_buffer + m_used, bytes, take);
    m_used += take;
    bytes += take;
    size -= take;
  }
}

void CSafeWriter::PadTo(uint32_t rva) {
  static const uint8_t kZeros[16] = {};
  while (m_position < rva) {
    const uint32_t gap = rva - m_position;
    Bytes(kZeros, gap < sizeof kZeros ? gap : sizeof kZeros);
  }
}

void CSafeWriter::Memory(pid_t pid, uint64_t address, size_t size) {
  // Page by page through the buffer, so that an unreadable page costs
  // exactly its own bytes.
  while (size > 0) {
    if (m_used == sizeof m_buffer) Drain();
    const size_t pageRest = kPageSize - static_cast<size_t>(address % kPageSize);
    size_t take = pageRest < size ? pageRest : size;
    if (take > sizeof m_buffer - m_used) take = sizeof m_buffer - m_used;
    const size_t got = ReadProcessMemory(pid, address, m_buffer + m_used, take);
    if (got < take) memset(m_buffer + m_used + got, 0, take - got);
    m_used += take;
    m_position += static_cast<uint32_t>(take);
    address += take;
    size -= take;
  }
}

bool CSafeWriter::Flush() {
  Drain();
  return !m_failed;
}

size_t ReadProcessMemory(pid_t pid, uint64_t address, void* buffer, size_t size) {
  iovec local{buffer, size};
  iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), size};
  // The bare system call: the kernel fills the buffer, which memory
  // checkers' wrappers would otherwise inspect for this raw copy.
  long got;
  do {
    got = syscall(SYS_process_vm_readv, pid, &local, 1, &remote, 1, 0);
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<size_t>(got) : 0;
}

size_t ReadWholeFile(const char* path, char* buffer, size_t capacity) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  size_t used = 0;
  while (used < capacity) {
    const ssize_t got = read(fd, buffer + used, capacity - used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    used += static_cast<size_t>(got);
  }
  close(fd);
  return used;
}

void ProcFilePath(char* buffer, size_t capacity, pid_t pid, const char* name) {
  char digits[16];
  size_t count = 0;
  for (uint32_t value = static_cast<uint32_t>(pid); count == 0 || value != 0; value /= 10) {
    digits[count++] = static_cast<char>('0' + value % 10);
  }
  size_t at = 0;
  const auto put = [&](char c) {
    if (at + 1 < capacity) buffer[at++] = c;
  };
  for (const char* p = "/proc/"; *p != '\0'; ++p) put(*p);
  while (count > 0) put(digits[--count]);
  put('/');
  for (const char* p = name; *p != '\0'; ++p) put(*p);
  buffer[at] = '\0';
}

size_t SafeLength(const char* text) {
  size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

bool SafeCopy(char* buffer, size_t capacity, const char* text, size_t length) {
  buffer[0] = '\0';
  if (length + 1 > capacity) return false;
  memcpy(buffer, text, length);
  buffer[length] = '\0';
  return true;
}

}  // namespace platform::crash
