#include "lpc/pending_calls.h"

namespace lpc {

CPendingCall::CPendingCall(uint32_t callId, json_t* callParams, json_t* resultHolder)
    : id(callId), params(json_incref(callParams)), holder(json_incref(resultHolder)) {}

CPendingCall::~CPendingCall() {
  json_decref(params);
  json_decref(holder);
}

bool CPendingCalls::Add(std::unique_ptr<CPendingCall> call) {
  std::lock_guard<std::mutex> lock(m_lock);
  const uint32_t id = call->id;
  return m_calls.emplace(id, std::move(call)).second;
}

bool CPendingCalls::Contains(uint32_t id) const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_calls.count(id) != 0;
}

std::unique_ptr<CPendingCall> CPendingCalls::Take(uint32_t id) {
  std::lock_guard<std::mutex> lock(m_lock);
  const auto found = m_calls.find(id);
  if (found == m_calls.end()) return nullptr;
  std::unique_ptr<CPendingCall> call = std::move(found->second);
  m_calls.erase(found);
  return call;
}

}  // namespace lpc
