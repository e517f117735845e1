#include "lpc/receive_buffer.h"

#include <algorithm>

namespace lpc {

void CReceiveBuffer::Append(const char* data, size_t size) {
  if (size == 0) return;
  std::lock_guard<std::mutex> lock(m_lock);
  m_chunks.emplace_back(data, size);
  m_total += size;
  m_terminators += static_cast<size_t>(std::count(data, data + size, '\0'));
}

bool CReceiveBuffer::TakeMessage(std::string* text) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_terminators == 0) return false;
  text->clear();
  for (;;) {
    const std::string& chunk = m_chunks.front();
    const size_t end = chunk.find('\0', m_frontOffset);
    const size_t stop = end == std::string::npos ? chunk.size() : end;
    text->append(chunk, m_frontOffset, stop - m_frontOffset);
    const size_t consumed = stop - m_frontOffset + (end == std::string::npos ? 0 : 1);
    m_total -= consumed;
    m_frontOffset += consumed;
    if (m_frontOffset == chunk.size()) {
      m_chunks.pop_front();
      m_frontOffset = 0;
    }
    if (end != std::string::npos) break;
  }
  --m_terminators;
  return true;
}

size_t CReceiveBuffer::Size() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_total;
}

void CReceiveBuffer::Clear() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_chunks.clear();
  m_frontOffset = m_total = m_terminators = 0;
}

}  // namespace lpc
