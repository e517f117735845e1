#include "lpc/lpc_messages.h"

#include <cstdlib>

namespace lpc {

json_t* BuildCall(const char* name, json_t* params, uint32_t id) {
  if (name == nullptr || params == nullptr) return nullptr;
  return json_pack("{s:s, s:s, s:O, s:i}", "jsonrpc", "2.0", "method", name, "params", params, "id",
                   static_cast<int>(id));
}

json_t* BuildNotification(const char* name, json_t* params) {
  if (name == nullptr || params == nullptr) return nullptr;
  return json_pack("{s:s, s:s, s:O}", "jsonrpc", "2.0", "method", name, "params", params);
}

json_t* BuildResponse(json_t* value, bool isError, int32_t id) {
  json_t* none = json_null();
  json_t* response = json_pack("{s:s,s:O,s:i}", "jsonrpc", "2.0", isError ? "error" : "result",
                               value != nullptr ? value : none, "id", static_cast<int>(id));
  json_decref(none);
  return response;
}

std::string Frame(const json_t* message) {
  char* text = json_dumps(message, JSON_COMPACT);
  if (text == nullptr) return {};
  std::string frame(text);
  std::free(text);
  frame.push_back('\0');
  return frame;
}

MessageKind Classify(const json_t* message) {
  if (json_object_get(message, "method") == nullptr) return MessageKind::kResponse;
  return json_is_integer(json_object_get(message, "id")) ? MessageKind::kRequest : MessageKind::kNotification;
}

bool UnpackRequest(json_t* message, const char** method, int32_t* id, json_t** params) {
  int value = 0;
  if (json_unpack(message, "{s:s,s:i,s:o}", "method", method, "id", &value, "params", params) != 0) {
    return false;
  }
  *id = value;
  return true;
}

bool UnpackNotification(json_t* message, const char** method, json_t** params) {
  return json_unpack(message, "{s:s,s:o}", "method", method, "params", params) == 0;
}

bool ResponseId(const json_t* message, uint32_t* id) {
  const json_t* value = json_object_get(message, "id");
  if (!json_is_integer(value)) return false;
  *id = static_cast<uint32_t>(json_integer_value(value));
  return true;
}

void StoreAnswer(const json_t* message, json_t* holder) {
  for (const char* key : {"result", "error"}) {
    const json_t* value = json_object_get(message, key);
    if (value != nullptr) json_object_set_new(holder, key, json_deep_copy(value));
  }
}

}  // namespace lpc
