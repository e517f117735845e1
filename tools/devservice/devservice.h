// The local service peer for development and tests: listens on the service
// pipe, answers "StartComponent" by starting the named program from the
// install folder, answers "Echo" with its params, and logs every message it
// receives. It can answer late or not at all, to exercise client time-outs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <jansson.h>

#include "platform/pipe/pipe_connection.h"

struct DevServiceOptions {
  std::string pipeName = "OrvaneSvcLpc";
  std::filesystem::path installDir;  // programs are started from here only
  std::filesystem::path logFile;     // empty: no log file
  bool logToStdout = false;
  uint32_t answerDelayMs = 0;    // wait this long before every answer
  bool answer = true;            // false: never answer requests
  uint32_t exitAfterStarts = 0;  // stop after this many StartComponent calls; 0: never
};

class CDevService {
 public:
  explicit CDevService(DevServiceOptions options);
  ~CDevService();
  CDevService(const CDevService&) = delete;
  CDevService& operator=(const CDevService&) = delete;

  // Starts listening on the pipe; false when the name is taken or unusable,
  // or the log file cannot be opened.
  [[nodiscard]] bool Listen();
  // Serves clients, each on its own thread, until Stop; returns after every
  // client thread has ended.
  void Run();
  // Ends Run soon; any thread.
  void Stop();

 private:
  struct Client;
  void Serve(std::shared_ptr<Client> client);
  void HandleMessage(Client& client, json_t* message);
  json_t* AnswerRequest(const char* method, json_t* params, bool* stopAfter);
  bool StartComponent(json_t* params);
  void Reply(Client& client, json_t* id, json_t* response);
  void Log(const std::string& line);

  DevServiceOptions m_options;
  platform::PipeListener m_listener;
  std::mutex m_lock;  // guards everything below
  std::vector<std::shared_ptr<Client>> m_clients;
  std::vector<std::thread> m_threads;
  std::ofstream m_log;
  uint32_t m_starts = 0;
  bool m_stopping = false;
};
