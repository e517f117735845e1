#include "zip/zip_output.h"

bool CZipOutput::Create(const std::u16string& path) {
  m_bytesWritten = 0;
  // A link left at path (say to a file the user may not see) is replaced,
  // never written through.
  return m_file.CreateReplacingForWriting(path);
}

bool CZipOutput::Write(const void* data, uint32_t size) {
  // Offsets are 32-bit: an archive may not grow past 4 GiB - 1.
  if (size > kMaxArchiveBytes - m_bytesWritten) return false;
  uint32_t written = 0;
  const bool ok = m_file.Write(data, size, &written);
  m_bytesWritten += written;
  return ok && written == size;
}

bool CZipOutput::Write(const std::string& bytes) {
  return Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool CZipOutput::RewriteAt(uint32_t offset, const std::string& bytes) {
  if (!m_file.SeekTo(offset)) return false;
  uint32_t written = 0;
  const bool ok =
      m_file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written) && written == bytes.size();
  return m_file.SeekToEnd() && ok;
}
