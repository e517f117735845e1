#include "server_api/file_body_source.h"

#include <algorithm>

#include "platform/system/file_info.h"

bool CFileBodySource::Open(const std::u16string& path) {
  platform::FileInfo info;
  if (!m_file.OpenForReading(path) || !platform::QueryFileInfo(m_file, &info) || !info.isDiskFile) {
    m_file.Close();
    return false;
  }
  m_size = info.size;
  m_position = 0;
  return true;
}

bool CFileBodySource::Rewind() {
  if (!m_file.SeekTo(0)) return false;
  m_position = 0;
  return true;
}

bool CFileBodySource::Read(uint8_t* buffer, size_t size, size_t* read) {
  // Never past the length announced, even if the file has grown since.
  const uint64_t left = m_size - std::min(m_position, m_size);
  const auto want = static_cast<uint32_t>(std::min<uint64_t>({size, left, UINT32_MAX}));
  uint32_t got = 0;
  *read = 0;
  if (want > 0 && !m_file.Read(buffer, want, &got)) return false;
  m_position += got;
  *read = got;
  return true;
}
