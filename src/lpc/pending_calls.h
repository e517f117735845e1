// Calls written to the service and not yet answered, keyed by call id.
#pragma once

#include <jansson.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "lpc/lpc_client.h"
#include "lpc/sync_event.h"

namespace lpc {

// One outstanding call. Holds references to its params and result holder;
// a synchronous call has an event its caller waits on, an asynchronous one a
// completion object.
struct CPendingCall {
  CPendingCall(uint32_t callId, json_t* callParams, json_t* resultHolder);
  ~CPendingCall();
  CPendingCall(const CPendingCall&) = delete;
  CPendingCall& operator=(const CPendingCall&) = delete;

  uint32_t id;
  json_t* params;
  json_t* holder;
  bool synchronous = true;
  std::shared_ptr<CSyncEvent> event;
  ILPCCompletion* completion = nullptr;
};

class CPendingCalls {
 public:
  // False when a call with the same id is already pending.
  bool Add(std::unique_ptr<CPendingCall> call);
  bool Contains(uint32_t id) const;
  // Takes the call out of the table; null when it is not there.
  std::unique_ptr<CPendingCall> Take(uint32_t id);

 private:
  mutable std::mutex m_lock;
  std::map<uint32_t, std::unique_ptr<CPendingCall>> m_calls;
};

}  // namespace lpc
