// The archive file being written, with the count of bytes that reached it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/file_handle.h"

class CZipOutput {
 public:
  // The largest archive 32-bit offsets and sizes can describe.
  static constexpr uint32_t kMaxArchiveBytes = 0xFFFFFFFF;

  // Creates or replaces the archive file; a link at path is replaced, never
  // written through. False when it cannot.
  [[nodiscard]] bool Create(const std::u16string& path);
  // Appends size bytes. False when not all of them were written, or when
  // they would take the archive past kMaxArchiveBytes (then nothing is
  // written); the count grows by the bytes that were written, so later
  // offsets match the file.
  [[nodiscard]] bool Write(const void* data, uint32_t size);
  [[nodiscard]] bool Write(const std::string& bytes);
  // Overwrites bytes at offset and returns to the end of the file; the count
  // does not change. False on any failure.
  [[nodiscard]] bool RewriteAt(uint32_t offset, const std::string& bytes);
  // Bytes written so far: where the next record starts.
  uint32_t BytesWritten() const { return m_bytesWritten; }
  void Close() { m_file.Close(); }

 private:
  platform::CFileHandle m_file;
  uint32_t m_bytesWritten = 0;
};
