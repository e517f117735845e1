// The file being added to an archive: its facts and a reader that keeps the
// running CRC-32 and byte count of everything read.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/file_handle.h"

class CZipSource {
 public:
  // Largest source a 32-bit size field can describe.
  static constexpr uint64_t kMaxSourceBytes = 0xFFFFFFFF;

  // Opens path for shared reading and gathers its attributes, size and
  // times. False when it cannot be opened, when it is a disk file of more
  // than kMaxSourceBytes, or (regularOnly) when it is not a regular file
  // itself (links are then not followed).
  [[nodiscard]] bool Open(const std::u16string& path, bool regularOnly = false);
  // Reads up to size bytes into buffer, updating the CRC and the byte count.
  // *got is 0 at the end. False on a read error, or when the source has grown
  // past kMaxSourceBytes while being read.
  [[nodiscard]] bool Read(uint8_t* buffer, uint32_t size, uint32_t* got);
  void Close() { m_file.Close(); }

  // Windows attributes masked with 0x37 in the low byte, Unix mode in the
  // high 16 bits; 0x80000000 for pipes and devices.
  uint32_t ExternalAttributes() const;
  // The size announced before reading; -1 when the source has none.
  int64_t AnnouncedSize() const { return m_size; }
  uint32_t DosDateTime() const { return m_dosDateTime; }
  uint32_t ModifiedSeconds() const { return m_modified; }
  uint32_t AccessedSeconds() const { return m_accessed; }
  uint32_t CreatedSeconds() const { return m_created; }
  uint32_t Crc() const { return m_crc; }
  uint32_t BytesRead() const { return m_bytesRead; }

 private:
  platform::CFileHandle m_file;
  bool m_isDiskFile = false;
  uint32_t m_attributes = 0;
  int64_t m_size = -1;
  uint32_t m_modified = 0;
  uint32_t m_accessed = 0;
  uint32_t m_created = 0;
  uint32_t m_dosDateTime = 0;
  uint32_t m_crc = 0;
  uint32_t m_bytesRead = 0;
};
