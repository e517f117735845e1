// CallMethod round trip against devservice's serving code (CDevService, run
// in this process on its own thread, answering "Echo"), next to a raw
// ping-pong of the same number of bytes over the same kind of socket in the
// same run: the floor the link cannot beat.
// Target: median CallMethod round trip at most 4 x the raw one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "devservice.h"
#include "lpc/lpc_client.h"
#include "lpc/lpc_messages.h"
#include "platform/pipe/pipe_connection.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string FreshPipeName(const char* kind) {
  std::random_device random;
  return std::string("lpc-bench-") + kind + "-" + std::to_string(random());
}

// The params the program sends with "StartComponent".
json_t* CallParams() {
  return json_pack("{s:i, s:s, s:s}", "pid", 4242, "name", "ORVUpdate.exe", "cmd", "-update -startby=4");
}

// Per-call latencies, reported as their median in microseconds.
class CLatencies {
 public:
  void Add(Clock::duration sample) { m_samples.push_back(sample); }
  void Report(benchmark::State& state, size_t messageBytes) {
    if (m_samples.empty()) return;
    std::nth_element(m_samples.begin(), m_samples.begin() + m_samples.size() / 2, m_samples.end());
    const auto median = m_samples[m_samples.size() / 2];
    state.counters["median_us"] = std::chrono::duration<double, std::micro>(median).count();
    state.counters["message_bytes"] = static_cast<double>(messageBytes);
  }

 private:
  std::vector<Clock::duration> m_samples;
};

void BM_CallMethodRoundTrip(benchmark::State& state) {
  DevServiceOptions options;
  options.pipeName = FreshPipeName("call");
  options.installDir = ".";
  CDevService service(options);
  if (!service.Listen()) return state.SkipWithError("devservice cannot listen");
  std::thread serving([&] { service.Run(); });
  ILPCClient* client = CreateLPCClient();
  json_t* params = CallParams();
  json_t* holder = json_object();
  CLatencies latencies;
  if (!client->Connect(options.pipeName.c_str())) state.SkipWithError("cannot connect");
  for (auto _ : state) {
    const auto start = Clock::now();
    if (!client->CallMethod("Echo", params, holder, 5)) {
      state.SkipWithError("call failed");
      break;
    }
    latencies.Add(Clock::now() - start);
  }
  json_t* call = lpc::BuildCall("Echo", params, 1);
  latencies.Report(state, lpc::Frame(call).size());
  json_decref(call);
  client->Release();
  json_decref(holder);
  json_decref(params);
  service.Stop();
  serving.join();
}

// The service end of the raw ping-pong: sends back every block of size bytes.
void EchoBlocks(platform::PipeConnection* server, size_t size) {
  std::string block;
  char chunk[platform::kPipeReadSize];
  for (;;) {
    size_t count = 0;
    if (server->Read(chunk, std::min(sizeof(chunk), size - block.size()), &count, nullptr) !=
        platform::PipeStatus::kOk) {
      return;
    }
    block.append(chunk, count);
    if (block.size() < size) continue;
    if (!server->Write(block.data(), block.size())) return;
    block.clear();
  }
}

bool ReadBlock(platform::PipeConnection* client, size_t size) {
  char chunk[platform::kPipeReadSize];
  for (size_t received = 0; received < size;) {
    size_t count = 0;
    if (client->Read(chunk, std::min(sizeof(chunk), size - received), &count, nullptr) !=
        platform::PipeStatus::kOk) {
      return false;
    }
    received += count;
  }
  return true;
}

void BM_RawSocketPingPong(benchmark::State& state) {
  json_t* params = CallParams();
  json_t* call = lpc::BuildCall("Echo", params, 1);
  const std::string message = lpc::Frame(call);
  json_decref(call);
  json_decref(params);
  const std::string name = FreshPipeName("raw");
  platform::PipeListener listener;
  platform::PipeConnection client;
  platform::PipeConnection server;
  if (!listener.Listen(name) || !client.Open(name) ||
      listener.Accept(&server, nullptr) != platform::PipeStatus::kOk) {
    return state.SkipWithError("cannot set up the socket pair");
  }
  std::thread echo(EchoBlocks, &server, message.size());
  CLatencies latencies;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (!client.Write(message.data(), message.size()) || !ReadBlock(&client, message.size())) {
      state.SkipWithError("ping-pong failed");
      break;
    }
    latencies.Add(Clock::now() - start);
  }
  latencies.Report(state, message.size());
  server.CancelIo();
  echo.join();
}

}  // namespace

BENCHMARK(BM_RawSocketPingPong)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_CallMethodRoundTrip)->MinTime(2.0)->UseRealTime();
