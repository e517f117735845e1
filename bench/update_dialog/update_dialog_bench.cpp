// From process start to the update dialog's first painted frame, on the
// headless window system and on X11 (an Xvfb the benchmark starts), next to
// a bare Xlib program that opens a window and paints one frame, in the same
// run. Each iteration starts a fresh process and waits for its end, which
// comes right after that frame.
//
// Target: the dialog on X11 takes at most 50 ms more than the bare program
// (compare the medians: --benchmark_repetitions=10). child_cpu_ms is each
// program's own processor time per run, the figure to compare on a machine
// that is busy with other work.
//
// BM_DialogIdle*: one run of orv_dialog_idle per backend, its figures as
// counters: idle_wakeups (voluntary context switches of the dialog's thread
// over idle_seconds on the failure page; target 0, at most 1 a second) and
// tick_us next to frame_us (a progress tick against a full-window frame, each
// until the display has it; target tick_to_frame at most 0.25; the _cpu
// figures are the dialog thread's processor time for the same).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

// An Xvfb on a free display for the whole run.
class CXvfb {
 public:
  CXvfb() {
    // A display number of our own, far from the ones other runs pick first;
    // -noreset keeps the server serving while the measured programs come and go.
    int number = 300 + getpid() % 600;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    const std::string display = ":" + std::to_string(number);
    const std::string command =
        "Xvfb " + display + " -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 & echo $!";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe != nullptr && fscanf(pipe, "%d", &m_pid) != 1) m_pid = -1;
    if (pipe != nullptr) pclose(pipe);
    const std::string probe = "DISPLAY=" + display + " xdpyinfo >/dev/null 2>&1";
    for (int i = 0; i < 400 && m_pid > 0; ++i) {
      if (std::system(probe.c_str()) == 0) {
        m_display = display;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  ~CXvfb() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
  }
  const std::string& Display() const { return m_display; }

 private:
  std::string m_display;
  int m_pid = -1;
};

CXvfb& Server() {
  static CXvfb server;
  return server;
}

// The headless backend when display is empty, else that X server.
void UseDisplay(const std::string& display) {
  if (display.empty()) {
    unsetenv("DISPLAY");
    setenv("ORV_WINDOW_BACKEND", "headless", 1);
  } else {
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("ORV_WINDOW_BACKEND");
  }
}

// Runs program with DISPLAY set to display (unset when empty); the wall time
// from the start to its end, or a negative value when it failed. *cpuSeconds
// gets the program's own processor time, which a busy machine does not inflate.
double RunOnce(const char* program, const std::string& display, double* cpuSeconds) {
  UseDisplay(display);
  char* argv[] = {const_cast<char*>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  *cpuSeconds =
      usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

// The "name value" lines program prints on display; empty when it failed.
std::map<std::string, double> RunForFigures(const char* program, const std::string& display) {
  UseDisplay(display);
  FILE* output = popen(program, "r");
  std::map<std::string, double> figures;
  if (output == nullptr) return figures;
  char line[256];
  while (fgets(line, sizeof line, output) != nullptr) {
    std::istringstream fields(line);
    std::string name;
    double value = 0;
    if (fields >> name >> value) figures[name] = value;
  }
  if (pclose(output) != 0) figures.clear();
  return figures;
}

void MeasureIdle(benchmark::State& state, const std::string& display) {
  std::map<std::string, double> figures;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    figures = RunForFigures(ORV_DIALOG_IDLE_PATH, display);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (figures.empty()) return state.SkipWithError("the idle dialog failed");
  for (const char* name :
       {"idle_wakeups", "idle_wakeups_per_s", "idle_messages", "tick_us", "frame_us", "tick_to_frame",
        "tick_cpu_us", "frame_cpu_us", "tick_to_frame_cpu", "tick_area_px", "frame_area_px"})
    state.counters[name] = figures[name];
}

void Measure(benchmark::State& state, const char* program, const std::string& display) {
  double cpuTotal = 0;
  for (auto _ : state) {
    double cpu = 0;
    const double seconds = RunOnce(program, display, &cpu);
    if (seconds < 0) {
      state.SkipWithError("the program failed");
      return;
    }
    state.SetIterationTime(seconds);
    cpuTotal += cpu;
  }
  // Milliseconds of the program's processor time per run.
  state.counters["child_cpu_ms"] =
      benchmark::Counter(cpuTotal * 1000 / static_cast<double>(state.iterations()));
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

void BM_DialogIdleX11(benchmark::State& state) {
  if (Server().Display().empty()) return state.SkipWithError("Xvfb did not start");
  MeasureIdle(state, Server().Display());
}

void BM_DialogIdleHeadless(benchmark::State& state) { MeasureIdle(state, ""); }

BENCHMARK(BM_BareXlibFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DialogFirstFrameX11)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DialogFirstFrameHeadless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DialogIdleHeadless)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_DialogIdleX11)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
