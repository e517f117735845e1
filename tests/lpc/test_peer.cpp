#include "lpc/test_peer.h"

#include <cstdlib>

namespace {

platform::PipeKeepWaiting Until(std::chrono::steady_clock::time_point deadline) {
  return [deadline] { return std::chrono::steady_clock::now() < deadline; };
}

platform::PipeKeepWaiting WithinLimit() {
  return Until(std::chrono::steady_clock::now() + CTestPeer::kWaitLimit);
}

}  // namespace

CTestPeer::~CTestPeer() {
  m_connection.Close();
  m_listener.Close();
}

bool CTestPeer::Listen(const std::string& name) { return m_listener.Listen(name); }

bool CTestPeer::Accept() {
  CloseConnection();
  return m_listener.Accept(&m_connection, WithinLimit()) == platform::PipeStatus::kOk;
}

bool CTestPeer::HasWaitingClient() {
  platform::PipeConnection probe;
  return m_listener.Accept(&probe, [] { return false; }) == platform::PipeStatus::kOk;
}

bool CTestPeer::ReadMessage(std::string* text) {
  const platform::PipeKeepWaiting keepWaiting = WithinLimit();
  char chunk[platform::kPipeReadSize];
  while (!m_buffer.TakeMessage(text)) {
    size_t count = 0;
    if (m_connection.Read(chunk, sizeof(chunk), &count, keepWaiting) != platform::PipeStatus::kOk) {
      return false;
    }
    m_buffer.Append(chunk, count);
  }
  return true;
}

json_t* CTestPeer::ReadJson() {
  std::string text;
  return ReadMessage(&text) ? ParseJson(text) : nullptr;
}

bool CTestPeer::SendBytes(const std::string& bytes) { return m_connection.Write(bytes.data(), bytes.size()); }

bool CTestPeer::SendMessage(const std::string& text) { return SendBytes(text + std::string(1, '\0')); }

void CTestPeer::CloseConnection() {
  m_connection.Close();
  m_buffer.Clear();
}

std::string CompactText(const json_t* value) {
  if (value == nullptr) return {};
  char* text = json_dumps(value, JSON_COMPACT | JSON_ENCODE_ANY);
  std::string result = text != nullptr ? text : "";
  std::free(text);
  return result;
}

json_t* ParseJson(const std::string& text) {
  json_error_t error;
  return json_loadb(text.data(), text.size(), JSON_DECODE_ANY, &error);
}
