// From process start to the update dialog's first painted frame, on the
// headless window system and on X11 (an Xvfb the benchmark starts), next to
// a bare Xlib program that opens a window and paints one frame, in the same
// run. Each iteration starts a fresh process and waits for its end, which
// comes right after that frame.
//
// Target: the dialog on X11 takes at most 50 ms more than the bare program
// (compare the medians: --benchmark_repetitions=10).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// An Xvfb on a free display for the whole run.
class CXvfb {
 public:
  CXvfb() {
    m_displayFile = std::filesystem::temp_directory_path() / ("orv-bench-xvfb-" + std::to_string(getpid()));
    const std::string command = "Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>'" +
                                m_displayFile.string() + "' 2>/dev/null & echo $!";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe != nullptr && fscanf(pipe, "%d", &m_pid) != 1) m_pid = -1;
    if (pipe != nullptr) pclose(pipe);
    for (int i = 0; i < 400 && m_display.empty(); ++i) {
      std::ifstream in(m_displayFile);
      std::string number;
      if (in >> number) m_display = ":" + number;
      else std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  ~CXvfb() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
    std::filesystem::remove(m_displayFile);
  }
  const std::string& Display() const { return m_display; }

 private:
  std::filesystem::path m_displayFile;
  std::string m_display;
  int m_pid = -1;
};

CXvfb& Server() {
  static CXvfb server;
  return server;
}

// Runs program with DISPLAY set to display (unset when empty); the wall time
// from the start to its end, or a negative value when it failed.
double RunOnce(const char* program, const std::string& display) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.emplace_back(*e);
  }
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

void Measure(benchmark::State& state, const char* program, const std::string& display) {
  for (auto _ : state) {
    const double seconds = RunOnce(program, display);
    if (seconds < 0) {
      state.SkipWithError("the program failed");
      return;
    }
    state.SetIterationTime(seconds);
  }
}

void BM_BareXlibFirstFrame(benchmark::State& state) {
  if (Server().Display().empty()) return state.SkipWithError("Xvfb did not start");
  Measure(state, ORV_BARE_XLIB_PATH, Server().Display());
}

void BM_DialogFirstFrameX11(benchmark::State& state) {
  if (Server().Display().empty()) return state.SkipWithError("Xvfb did not start");
  Measure(state, ORV_DIALOG_FRAME_PATH, Server().Display());
}

void BM_DialogFirstFrameHeadless(benchmark::State& state) { Measure(state, ORV_DIALOG_FRAME_PATH, ""); }

BENCHMARK(BM_BareXlibFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DialogFirstFrameX11)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DialogFirstFrameHeadless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
