#include "zip/zip_source.h"

#include <zlib.h>

#include "platform/system/clock.h"
#include "platform/system/file_info.h"
#include "zip/zip_time.h"

namespace {

constexpr uint32_t kKeptAttributes = 0x37;
constexpr uint32_t kUnixFolder = 0x4100;
constexpr uint32_t kUnixFile = 0x8100;
constexpr uint32_t kUnixOwnerWrite = 0x0080;
constexpr uint32_t kNotDiskFile = 0x80000000;

}  // namespace

bool CZipSource::Open(const std::u16string& path, bool regularOnly) {
  const bool opened = regularOnly ? m_file.OpenRegularForReading(path) : m_file.OpenForReading(path);
  if (!opened) return false;
  platform::FileInfo info;
  if (!platform::QueryFileInfo(m_file, &info)) info.isDiskFile = false;
  m_isDiskFile = info.isDiskFile;
  if (m_isDiskFile) {
    // The size fields have 32 bits: a larger file would be stored with its
    // size wrapped, and readers would report a bad CRC.
    if (info.size > kMaxSourceBytes) {
      m_file.Close();
      return false;
    }
    m_attributes = info.attributes;
    m_size = static_cast<int64_t>(info.size);
  } else {
    // A pipe or device has no size or times of its own: use the clock.
    const platform::LocalTime now = platform::GetLocalTime();
    info.lastWrite = info.lastAccess = info.creation =
        platform::CalendarTime{now.year, now.month, now.day, now.hour, now.minute, now.second};
    m_size = -1;
  }
  m_modified = ToUnixSeconds(info.lastWrite);
  m_accessed = ToUnixSeconds(info.lastAccess);
  m_created = ToUnixSeconds(info.creation);
  m_dosDateTime = ToDosDateTime(info.lastWrite);
  m_crc = 0;
  m_bytesRead = 0;
  return true;
}

bool CZipSource::Read(uint8_t* buffer, uint32_t size, uint32_t* got) {
  if (!m_file.Read(buffer, size, got)) return false;
  // A source that grows past 4 GiB while being read cannot be described either.
  if (*got > kMaxSourceBytes - m_bytesRead) return false;
  m_crc = static_cast<uint32_t>(crc32(m_crc, buffer, *got));
  m_bytesRead += *got;
  return true;
}

uint32_t CZipSource::ExternalAttributes() const {
  if (!m_isDiskFile) return kNotDiskFile;
  const bool folder = (m_attributes & platform::kFileAttributeDirectory) != 0;
  const bool readOnly = (m_attributes & platform::kFileAttributeReadOnly) != 0;
  const uint32_t mode = (folder ? kUnixFolder : kUnixFile) | (readOnly ? 0 : kUnixOwnerWrite);
  return (mode << 16) | (m_attributes & kKeptAttributes);
}
