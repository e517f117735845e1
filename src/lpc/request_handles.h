// CHRPtrMap: the requests handed to handlers and not yet answered, keyed by
// the handle serial, with the request id each one answers.
#pragma once

#include <cstdint>
#include <map>
#include <shared_mutex>

namespace lpc {

class CHRPtrMap {
 public:
  // False when serial is already present.
  bool Add(uint64_t serial, int32_t requestId);
  bool Contains(uint64_t serial) const;
  // Takes serial out and reports its request id; false when it was absent.
  bool Remove(uint64_t serial, int32_t* requestId);

 private:
  mutable std::shared_mutex m_lock;
  std::map<uint64_t, int32_t> m_requests;
};

}  // namespace lpc
