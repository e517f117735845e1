// StartComponent: the one request that goes to the local service over the
// JSON-RPC pipe instead of to the API server.
#include <jansson.h>

#include "common/text.h"
#include "lpc/lpc_client.h"
#include "platform/system/codepage.h"
#include "platform/system/process.h"
#include "server_api/connect_help.h"

namespace {

constexpr char16_t kServicePipe[] = u"OrvaneSvcLpc";
constexpr uint32_t kCallTimeoutSeconds = 1;

// The service accepted the start: "result" is true or a non-zero integer.
bool IsAccepted(const json_t* holder) {
  const json_t* result = json_object_get(holder, "result");
  return json_is_true(result) || (json_is_integer(result) && json_integer_value(result) != 0);
}

bool CallStartComponent(ILPCClient* client, const std::string& name, const std::string& command) {
  json_t* params = json_pack("{s:i, s:s, s:s}", "pid", static_cast<int>(platform::CurrentProcessId()), "name",
                             name.c_str(), "cmd", command.c_str());
  json_t* holder = json_object();
  const bool accepted = params && holder &&
                        client->CallMethod("StartComponent", params, holder, kCallTimeoutSeconds) &&
                        IsAccepted(holder);
  json_decref(params);
  json_decref(holder);
  return accepted;
}

}  // namespace

bool CConnectHelp::StartComponent(const std::u16string& name, const char16_t* command) {
  ILPCClient* client = CreateLPCClient();
  if (client == nullptr) return false;
  bool accepted = false;
  if (client->Connect(platform::WideToAnsi(kServicePipe).c_str())) {
    accepted = CallStartComponent(client, Utf16ToUtf8(name), command ? Utf16ToUtf8(command) : std::string());
  }
  client->SetDisconnectCallback(nullptr, nullptr);
  client->Disconnect();
  client->Release();
  return accepted;
}
