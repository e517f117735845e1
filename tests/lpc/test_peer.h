// The service end of a pipe for client tests: listens on a fresh pipe name,
// accepts the client and trades zero-byte framed texts with it. Every wait
// is bounded.
#pragma once

#include <jansson.h>

#include <chrono>
#include <string>

#include "lpc/receive_buffer.h"
#include "platform/pipe/pipe_connection.h"
#include "support/pipe_names.h"

class CTestPeer {
 public:
  static constexpr std::chrono::seconds kWaitLimit{10};

  ~CTestPeer();

  [[nodiscard]] bool Listen(const std::string& name);
  // Accepts the next client, dropping any earlier connection.
  [[nodiscard]] bool Accept();
  // True when a client has connected and is waiting to be accepted.
  bool HasWaitingClient();
  // The next message text (without its zero byte).
  [[nodiscard]] bool ReadMessage(std::string* text);
  // Reads the next message and parses it; null on failure. Caller releases.
  json_t* ReadJson();
  [[nodiscard]] bool SendBytes(const std::string& bytes);
  // Sends text and its zero byte.
  [[nodiscard]] bool SendMessage(const std::string& text);
  // Closes this end of the connection (the client sees the pipe end).
  void CloseConnection();

 private:
  platform::PipeListener m_listener;
  platform::PipeConnection m_connection;
  lpc::CReceiveBuffer m_buffer;
};

// Compact text of value; empty for null.
std::string CompactText(const json_t* value);
// Parses text; null when it is not JSON.
json_t* ParseJson(const std::string& text);
