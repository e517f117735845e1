// The JSON-RPC messages of the pipe link: building the ones the client sends
// (members in a fixed order), framing them, and reading the ones it receives.
#pragma once

#include <jansson.h>

#include <cstdint>
#include <string>

namespace lpc {

// Longest method name the method table holds, in bytes.
inline constexpr size_t kMaxMethodName = 63;
// Longest frame, zero byte included, either way. A peer that sends more
// without a zero byte is dropped; a longer message is not sent.
inline constexpr size_t kMaxFrameBytes = 16 * 1024 * 1024;
// How long a message other than a call (whose own timeout counts) may take
// to go out before the peer counts as not reading.
inline constexpr uint32_t kWriteTimeoutMs = 5000;

enum class MessageKind { kRequest, kNotification, kResponse };

// {"jsonrpc":"2.0","method":name,"params":params,"id":id}; null when name or
// params is null. params is referenced, not stolen.
json_t* BuildCall(const char* name, json_t* params, uint32_t id);
// {"jsonrpc":"2.0","method":name,"params":params}; null as above.
json_t* BuildNotification(const char* name, json_t* params);
// {"jsonrpc":"2.0","result"|"error":value,"id":id}; a null value goes out as
// JSON null.
json_t* BuildResponse(json_t* value, bool isError, int32_t id);

// The compact text of message followed by one zero byte; empty when it
// cannot be serialised. Does not release message.
std::string Frame(const json_t* message);

// Response without "method"; request with "method" and an integer "id";
// notification with "method" and no integer "id".
MessageKind Classify(const json_t* message);

// Unpacks a received request; false when "method" (string), "id" (integer)
// or "params" is missing. Results are borrowed from message.
bool UnpackRequest(json_t* message, const char** method, int32_t* id, json_t** params);
// Unpacks a received notification; false without "method" or "params".
bool UnpackNotification(json_t* message, const char** method, json_t** params);

// The id of a received response, taken as 32 bits; false when it is not an
// integer.
bool ResponseId(const json_t* message, uint32_t* id);
// Copies "result" and "error" of a response, when present, deeply into holder.
void StoreAnswer(const json_t* message, json_t* holder);

}  // namespace lpc
