// Input and output for code that runs inside a fatal-signal handler (or a
// child cloned from it): a fixed buffer over a descriptor, plain system
// calls only, no allocation.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "common/byte_order.h"

namespace platform::crash {

class CSafeWriter {
 public:
  explicit CSafeWriter(int fd) : m_fd(fd) {}
  void Bytes(const void* data, size_t size);
  // The dump format is little-endian.
  void U8(uint8_t v) { Bytes(&v, 1); }
  void U16(uint16_t v) {
    uint8_t b[2];
    StoreLe16(b, v);
    Bytes(b, sizeof b);
  }
  void U32(uint32_t v) {
    uint8_t b[4];
    StoreLe32(b, v);
    Bytes(b, sizeof b);
  }
  void U64(uint64_t v) {
    uint8_t b[8];
    StoreLe64(b, v);
    Bytes(b, sizeof b);
  }
  // Writes zero bytes up to the file position rva.
  void PadTo(uint32_t rva);
  // Copies size bytes of process pid's memory that may be partly
  // unreadable; what cannot be read is written as zeros, so the layout
  // stays intact.
  void Memory(pid_t pid, uint64_t address, size_t size);
  // Sends what is buffered; false when any write so far failed.
  bool Flush();
  uint32_t Position() const { return m_position; }

 private:
  void Drain();
  int m_fd;
  bool m_failed = false;
  uint32_t m_position = 0;
  size_t m_used = 0;
  uint8_t m_buffer[4096];
};

// Copies up to size bytes at address in process pid (this process or one
// it may trace) into buffer; the count copied, which stops at the first
// unreadable page.
size_t ReadProcessMemory(pid_t pid, uint64_t address, void* buffer, size_t size);
// Reads the file at path into buffer, at most capacity bytes; the length
// read, 0 when it cannot be read.
size_t ReadWholeFile(const char* path, char* buffer, size_t capacity);
// "/proc/PID/NAME" into buffer (capacity 64 is enough for the names used).
void ProcFilePath(char* buffer, size_t capacity, pid_t pid, const char* name);

// Length of a C string.
size_t SafeLength(const char* text);
// Copies text into a buffer of capacity bytes; false (and an empty buffer)
// when it does not fit.
bool SafeCopy(char* buffer, size_t capacity, const char* text, size_t length);

}  // namespace platform::crash
