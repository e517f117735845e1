#include "lpc/request_handles.h"

#include <mutex>

namespace lpc {

bool CHRPtrMap::Add(uint64_t serial, int32_t requestId) {
  std::unique_lock<std::shared_mutex> lock(m_lock);
  return m_requests.emplace(serial, requestId).second;
}

bool CHRPtrMap::Contains(uint64_t serial) const {
  std::shared_lock<std::shared_mutex> lock(m_lock);
  return m_requests.count(serial) != 0;
}

bool CHRPtrMap::Remove(uint64_t serial, int32_t* requestId) {
  std::unique_lock<std::shared_mutex> lock(m_lock);
  const auto found = m_requests.find(serial);
  if (found == m_requests.end()) return false;
  if (requestId != nullptr) *requestId = found->second;
  m_requests.erase(found);
  return true;
}

}  // namespace lpc
