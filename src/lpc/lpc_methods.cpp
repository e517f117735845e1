#include <cstring>

#include "lpc/lpc_client_impl.h"
#include "lpc/lpc_messages.h"

namespace lpc {

namespace {

bool IsTableName(const char* name) {
  return name != nullptr && strnlen(name, kMaxMethodName + 1) <= kMaxMethodName;
}

}  // namespace

bool CLPCClient::WriteMessage(json_t* message, uint32_t timeoutMs) {
  if (message == nullptr) return false;
  const std::string frame = Frame(message);
  json_decref(message);
  const std::shared_ptr<platform::PipeConnection> pipe = CurrentPipe();
  if (frame.empty() || frame.size() > kMaxFrameBytes || pipe == nullptr) return false;
  if (pipe->Write(frame.data(), frame.size(), timeoutMs)) return true;
  // The reader sees the cancel and takes the connection down.
  pipe->CancelIo();
  return false;
}

void CLPCClient::SendMethodSupport() {
  std::lock_guard<std::mutex> order(m_supportLock);
  json_t* names = json_array();
  {
    std::shared_lock<std::shared_mutex> lock(m_methodLock);
    for (const auto& entry : m_methods) json_array_append_new(names, json_string(entry.first.c_str()));
  }
  // Nobody may be listening yet or any more; the table is announced again on
  // the next connect.
  [[maybe_unused]] const bool written = WriteMessage(BuildNotification("MethodSupport", names));
  json_decref(names);
}

bool CLPCClient::RegisterMethod(const char* name, LpcMethodHandler handler) {
  if (!IsTableName(name) || !handler) return false;
  {
    std::unique_lock<std::shared_mutex> lock(m_methodLock);
    if (!m_methods.emplace(name, std::move(handler)).second) return false;
  }
  SendMethodSupport();
  return true;
}

void CLPCClient::UnregisterMethod(const char* name) {
  if (IsTableName(name)) {
    std::unique_lock<std::shared_mutex> lock(m_methodLock);
    m_methods.erase(name);
  }
  SendMethodSupport();
}

bool CLPCClient::SendResponse(json_t* value, bool isError, LpcRequestHandle handle) {
  int32_t id = 0;
  if (!m_requestHandles.Remove(handle.serial, &id)) return false;
  // Id 0 marks a request whose sender wants no answer.
  if (id == 0) return false;
  return WriteMessage(BuildResponse(value, isError, id));
}

bool CLPCClient::SendNotification(const char* name, json_t* params) {
  return WriteMessage(BuildNotification(name, params));
}

}  // namespace lpc
