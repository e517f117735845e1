#include "devservice.h"

#include <chrono>
#include <cstdio>
#include <iostream>

#include "common/text.h"
#include "lpc/lpc_messages.h"
#include "lpc/receive_buffer.h"
#include "platform/system/process.h"

namespace {

struct JsonRelease {
  void operator()(json_t* value) const { json_decref(value); }
};
using JsonPtr = std::unique_ptr<json_t, JsonRelease>;

std::string TimeOfDay() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto sinceMidnight = now - floor<days>(now);
  const hh_mm_ss<milliseconds> time(duration_cast<milliseconds>(sinceMidnight));
  char text[32];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d.%03d", static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                static_cast<int>(time.subseconds().count()));
  return text;
}

// Only a bare file name may be started, so a caller cannot reach programs
// outside the install folder.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

json_t* ErrorValue(int code, const char* message) {
  return json_pack("{s:i,s:s}", "code", code, "message", message);
}

}  // namespace

struct CDevService::Client {
  platform::PipeConnection pipe;
  int number = 0;
};

CDevService::CDevService(DevServiceOptions options) : m_options(std::move(options)) {}

CDevService::~CDevService() {
  Stop();
  for (std::thread& thread : m_threads) {
    if (thread.joinable()) thread.join();
  }
}

bool CDevService::Listen() {
  if (!m_options.logFile.empty()) {
    m_log.open(m_options.logFile, std::ios::app);
    if (!m_log) return false;
  }
  if (!m_listener.Listen(m_options.pipeName)) return false;
  Log("listening on " + platform::PipePath(m_options.pipeName));
  return true;
}

void CDevService::Run() {
  for (int number = 1;; ++number) {
    auto client = std::make_shared<Client>();
    client->number = number;
    if (m_listener.Accept(&client->pipe, nullptr) != platform::PipeStatus::kOk) break;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping) break;
    m_clients.push_back(client);
    m_threads.emplace_back(&CDevService::Serve, this, client);
  }
  Stop();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    threads.swap(m_threads);
  }
  for (std::thread& thread : threads) thread.join();
  Log("stopped");
}

void CDevService::Stop() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_stopping = true;
  m_listener.CancelIo();
  for (const auto& client : m_clients) client->pipe.CancelIo();
}

void CDevService::Serve(std::shared_ptr<Client> client) {
  const std::string tag = "client " + std::to_string(client->number) + ": ";
  Log(tag + "connected");
  lpc::CReceiveBuffer buffer;
  char chunk[platform::kPipeReadSize];
  size_t count = 0;
  while (client->pipe.Read(chunk, sizeof(chunk), &count, nullptr) == platform::PipeStatus::kOk) {
    buffer.Append(chunk, count);
    for (std::string text; buffer.TakeMessage(&text);) {
      Log(tag + "received " + text);
      json_error_t error;
      JsonPtr message(json_loadb(text.data(), text.size(), 0, &error));
      if (message == nullptr) {
        Log(tag + "not JSON: " + error.text);
        continue;
      }
      HandleMessage(*client, message.get());
    }
  }
  Log(tag + "disconnected");
  std::lock_guard<std::mutex> lock(m_lock);
  std::erase(m_clients, client);
}

void CDevService::HandleMessage(Client& client, json_t* message) {
  if (lpc::Classify(message) != lpc::MessageKind::kRequest) return;
  const char* method = json_string_value(json_object_get(message, "method"));
  if (method == nullptr) return;
  bool stopAfter = false;
  JsonPtr answer(AnswerRequest(method, json_object_get(message, "params"), &stopAfter));
  Reply(client, json_object_get(message, "id"), answer.get());
  if (stopAfter) Stop();
}

// The response message for one request: {"result": ...} or {"error": ...}.
json_t* CDevService::AnswerRequest(const char* method, json_t* params, bool* stopAfter) {
  const std::string name = method;
  if (name == "Echo") return json_pack("{s:O?}", "result", params);
  if (name != "StartComponent") return json_pack("{s:o}", "error", ErrorValue(-32601, "Method not found"));
  const char* program = nullptr;
  if (json_unpack(params, "{s:s}", "name", &program) != 0) {
    return json_pack("{s:o}", "error", ErrorValue(-32602, "Invalid params"));
  }
  const bool started = StartComponent(params);
  std::lock_guard<std::mutex> lock(m_lock);
  ++m_starts;
  *stopAfter = m_options.exitAfterStarts != 0 && m_starts >= m_options.exitAfterStarts;
  return json_pack("{s:b}", "result", started);
}

bool CDevService::StartComponent(json_t* params) {
  const std::string name = json_string_value(json_object_get(params, "name"));
  const char* cmd = json_string_value(json_object_get(params, "cmd"));
  if (!IsPlainFileName(name)) {
    Log("refused to start \"" + name + "\": not a plain file name");
    return false;
  }
  // The name is UTF-8 text; joined as UTF-16 it keeps every character.
  const std::filesystem::path program = m_options.installDir / std::filesystem::path(Utf8ToUtf16(name));
  const bool started = platform::ShellOpen(program.u16string(), Utf8ToUtf16(cmd != nullptr ? cmd : ""));
  Log((started ? "started " : "could not start ") + Utf16ToUtf8(program.u16string()) + " " +
      (cmd != nullptr ? cmd : ""));
  return started;
}

void CDevService::Reply(Client& client, json_t* id, json_t* answer) {
  if (!m_options.answer) {
    Log("not answering, as told");
    return;
  }
  if (m_options.answerDelayMs != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(m_options.answerDelayMs));
  }
  JsonPtr response(json_pack("{s:s}", "jsonrpc", "2.0"));
  json_object_update(response.get(), answer);
  json_object_set(response.get(), "id", id);
  const std::string frame = lpc::Frame(response.get());
  const bool written = !frame.empty() && client.pipe.Write(frame.data(), frame.size());
  Log((written ? "answered " : "could not answer ") + frame.substr(0, frame.size() - 1));
}

void CDevService::Log(const std::string& line) {
  if (m_options.logFile.empty() && !m_options.logToStdout) return;
  const std::string stamped = "[" + TimeOfDay() + "] " + line + "\n";
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_log.is_open()) m_log << stamped << std::flush;
  if (m_options.logToStdout) std::cout << stamped << std::flush;
}
