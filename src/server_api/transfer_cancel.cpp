#include "server_api/transfer_cancel.h"

namespace {

// The innermost scope's flag of each thread: a worker's transfers are its own.
thread_local const std::atomic<bool>* t_cancelFlag = nullptr;

}  // namespace

CTransferCancelScope::CTransferCancelScope(const std::atomic<bool>& flag) : m_outer(t_cancelFlag) {
  t_cancelFlag = &flag;
}

CTransferCancelScope::~CTransferCancelScope() { t_cancelFlag = m_outer; }

const std::atomic<bool>* CTransferCancelScope::CurrentFlag() { return t_cancelFlag; }
