// CTransferCancelScope: while one lives, every transfer that its thread makes
// through the API client watches its flag, and ends as cancelled once another
// thread sets it (at the latest a second later). Scopes nest; the innermost
// one counts. Other threads' transfers are not affected.
#pragma once

#include <atomic>

class CTransferCancelScope {
 public:
  // flag must outlive the scope.
  explicit CTransferCancelScope(const std::atomic<bool>& flag);
  ~CTransferCancelScope();
  CTransferCancelScope(const CTransferCancelScope&) = delete;
  CTransferCancelScope& operator=(const CTransferCancelScope&) = delete;

  // The flag of the calling thread's innermost scope; null outside any.
  static const std::atomic<bool>* CurrentFlag();

 private:
  const std::atomic<bool>* m_outer;
};
