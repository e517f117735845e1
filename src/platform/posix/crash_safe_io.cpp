// Signal-safe output for the crash filter: write(2) over a fixed buffer.
// Covers buffered writes, padding and copying possibly unreadable memory.
// Not covered: seeking (dumps are written front to back).
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/crash_safe_io.h"

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

void CSafeWriter::Memory(uintptr_t address, size_t size) {
  Drain();
  m_position += static_cast<uint32_t>(size);
  // write(2) reads the memory in the kernel: an unreadable page gives EFAULT
  // instead of a second fault in this handler. The bare system call keeps
  // memory checkers (which watch write()'s buffer) out of this raw copy.
  while (size > 0) {
    const ssize_t put = syscall(SYS_write, m_fd, address, size);
    if (put < 0 && errno == EINTR) continue;
    if (put > 0) {
      address += static_cast<size_t>(put);
      size -= static_cast<size_t>(put);
      continue;
    }
    if (put == 0 || errno != EFAULT) {
      m_failed = true;
      return;
    }
    // Replace the unreadable rest of this page with zeros.
    const size_t page = 4096 - (address % 4096);
    const size_t skip = page < size ? page : size;
    memset(m_buffer, 0, sizeof m_buffer);
    if (!WriteAll(m_fd, m_buffer, skip)) m_failed = true;
    address += skip;
    size -= skip;
  }
}

bool CSafeWriter::Flush() {
  Drain();
  return !m_failed;
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
