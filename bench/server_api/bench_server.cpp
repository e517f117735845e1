#include "bench_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

extern char** environ;

namespace bench {
namespace {

namespace fs = std::filesystem;

void WriteSample(const fs::path& file) {
  std::mt19937_64 random(42);
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  std::ofstream out(file, std::ios::binary);
  for (size_t written = 0; written < kSampleSize; written += block.size() * 8) {
    for (auto& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()), block.size() * 8);
  }
}

// Starts devserver on a free port; returns its "http://127.0.0.1:<port>/".
std::string StartServer(const fs::path& dir, pid_t* server) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  const std::string staticDir = (dir / "static").string();
  const std::string storage = (dir / "storage").string();
  const char* argv[] = {ORV_DEVSERVER_PATH, "--static",      staticDir.c_str(),
                        "--storage",        storage.c_str(), nullptr};
  if (posix_spawn(server, ORV_DEVSERVER_PATH, &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
    std::abort();
  }
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  FILE* out = fdopen(pipeFds[0], "r");
  int port = 0;
  if (std::fscanf(out, "http %d", &port) != 1) std::abort();
  std::fclose(out);
  return "http://127.0.0.1:" + std::to_string(port) + "/";
}

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::char_traits<char>::length(field));
  }
  return -1;
}

}  // namespace

ServerFixture::ServerFixture() {
  dir = fs::temp_directory_path() / ("orv-bench-" + std::to_string(getpid()));
  fs::create_directories(dir / "static");
  sample = dir / "static" / "sample.bin";
  WriteSample(sample);
  baseUrl = StartServer(dir, &server);
}

ServerFixture::~ServerFixture() {
  if (server > 0) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

ServerFixture& SharedServer() {
  static ServerFixture fixture;
  return fixture;
}

CClientSetup BenchClientSetup() {
  CClientSetup setup;
  setup.fingerprint = u"BENCH";
  setup.signedBase = u"http://127.0.0.1:1/";
  setup.queryBase = setup.signedBase;
  return setup;
}

long PeakKiB() { return StatusKiB("VmHWM:"); }
long CurrentKiB() { return StatusKiB("VmRSS:"); }
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace bench
