// JSON-RPC 2.0 link to the product's local service over a named pipe.
// Every JSON text on the pipe is compact and ends with one zero byte. While
// connected, one reader thread and three dispatcher threads (requests,
// notifications, responses) run per client.
#pragma once

#include <jansson.h>

#include <cstdint>
#include <functional>

// Identifies one received request until it is answered. The null handle
// (serial 0) is what handlers get for notifications. Serials are never
// reused by a client, so a stale handle can never answer a newer request.
struct LpcRequestHandle {
  uint64_t serial = 0;
  explicit operator bool() const { return serial != 0; }
};

// Handles a received request or notification. params is borrowed. Return 0
// to keep the handle and answer with SendResponse (now or later, from any
// thread); any other value means no response will be sent. Runs on a
// dispatcher thread while the method table is held shared: it must not call
// RegisterMethod, UnregisterMethod, Connect or Disconnect.
using LpcMethodHandler = std::function<int32_t(json_t* params, LpcRequestHandle handle)>;

// Called on the reader thread each time it ends; value is the one given to
// SetDisconnectCallback. Must not call Connect or Disconnect.
using LpcDisconnectCallback = void (*)(void* value);

// Completion of CallMethodAsync: Complete runs once, on the response
// dispatcher thread, after the answer has been stored in the result holder.
// The object must stay alive until then or until the client is released.
// Complete must not wait for the answer of another call (CallMethod): answers
// are delivered by the very thread it runs on.
class ILPCCompletion {
 public:
  virtual ~ILPCCompletion() = default;
  virtual void Complete() = 0;
};

class ILPCClient {
 public:
  // Disconnects, destroys the client and frees it.
  virtual void Release() = 0;

  // Connects to the pipe called name (narrow text in the ANSI code page) and
  // starts the threads, then announces the method table ("MethodSupport").
  // True when connected or already connected; false when the pipe cannot be
  // opened, after which Connect may be tried again.
  [[nodiscard]] virtual bool Connect(const char* name) = 0;

  // Stops the threads and closes the pipe; safe when not connected. Queued
  // messages and pending calls stay until the client is released.
  virtual void Disconnect() = 0;

  // Sets the function called when the reader thread ends (pipe error or
  // Disconnect); null for none. Clear it before a Disconnect that should not
  // call it.
  virtual void SetDisconnectCallback(LpcDisconnectCallback function, void* value) = 0;

  // Adds a handler for name and announces the table. False when name is null
  // or 64 bytes or longer, the handler is empty, or name is already present.
  [[nodiscard]] virtual bool RegisterMethod(const char* name, LpcMethodHandler handler) = 0;

  // Removes name (names of 64 bytes or longer and absent names change
  // nothing) and announces the table in any case.
  virtual void UnregisterMethod(const char* name) = 0;

  // Answers the request behind handle with value (JSON null when value is
  // null) as "result", or as "error" when isError. The handle is used up.
  // False when the handle is unknown or already answered, when the request's
  // id is 0 (nothing is sent), or when the write fails.
  [[nodiscard]] virtual bool SendResponse(json_t* value, bool isError, LpcRequestHandle handle) = 0;

  // Calls name with params and waits up to timeoutSeconds for the answer.
  // True when it arrived in time; its "result" and/or "error" members are
  // then copied into the object holder. A late answer is dropped.
  [[nodiscard]] virtual bool CallMethod(const char* name, json_t* params, json_t* holder,
                                        uint32_t timeoutSeconds) = 0;

  // Calls name with params without waiting. True when the call was written;
  // completion then runs once the answer is stored in holder. There is no
  // timeout: without an answer completion never runs.
  [[nodiscard]] virtual bool CallMethodAsync(const char* name, json_t* params, json_t* holder,
                                             ILPCCompletion* completion) = 0;

  // Sends a notification. True when it was written.
  [[nodiscard]] virtual bool SendNotification(const char* name, json_t* params) = 0;

 protected:
  virtual ~ILPCClient() = default;
};

// Creates an unconnected client; null when it cannot be allocated. End its
// use with Release.
ILPCClient* CreateLPCClient();
