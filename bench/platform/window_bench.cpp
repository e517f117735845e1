// The window system's wake-ups against their anchor in the same run: a bare
// pipe between two threads. A posted message's round trip (post on one
// thread, handled on the other, reply posted back) against a pipe ping-pong,
// and a timer's lateness against one pipe wake-up and against a bare timed
// wait (the kernel's own timer lateness); a monitor query against one round
// trip to the display. Run once per backend:
//   window_bench --backend=headless    window_bench --backend=x11 (own Xvfb)
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "window_test_display.h"

namespace {

using namespace platform;
using Clock = std::chrono::steady_clock;

constexpr UINT kPing = WM_USER + 1;
constexpr UINT kPong = WM_USER + 2;
constexpr UINT kStop = WM_USER + 3;

HWND g_replyTo = nullptr;  // the benchmark thread's window, which gets the pongs

LRESULT EchoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) PostMessage(g_replyTo, kPong, wParam, 0);
  if (message == kStop) PostQuitMessage(0);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const char16_t* className) {
  WNDCLASS wc;
  wc.lpfnWndProc = EchoProc;
  wc.lpszClassName = className;
  (void)RegisterClass(wc);  // registered once per process; a second time fails harmlessly
  return CreateWindowEx(0, className, u"bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

// Two threads passing a byte back and forth through two pipes.
void BM_BarePipeRoundTrip(benchmark::State& state) {
  int ping[2], pong[2];
  if (pipe(ping) != 0 || pipe(pong) != 0) return state.SkipWithError("pipe");
  std::thread echo([&] {
    char c;
    while (read(ping[0], &c, 1) == 1 && c != 'q') (void)!write(pong[1], &c, 1);
  });
  char c = 'p';
  for (auto _ : state) {
    (void)!write(ping[1], &c, 1);
    (void)!read(pong[0], &c, 1);
  }
  c = 'q';
  (void)!write(ping[1], &c, 1);
  echo.join();
  for (int fd : {ping[0], ping[1], pong[0], pong[1]}) close(fd);
}
BENCHMARK(BM_BarePipeRoundTrip)->UseRealTime();

// The same exchange as posted messages between two threads' loops.
void BM_PostedMessageRoundTrip(benchmark::State& state) {
  g_replyTo = MakeWindow(u"OrvBenchMain");
  HWND echoWindow = nullptr;
  int ready[2];
  if (pipe(ready) != 0) return state.SkipWithError("pipe");
  std::thread echo([&] {
    echoWindow = MakeWindow(u"OrvBenchEcho");
    (void)!write(ready[1], "r", 1);
    MSG msg;
    while (GetMessage(&msg) > 0) DispatchMessage(&msg);
    DestroyWindow(echoWindow);
  });
  char c;
  (void)!read(ready[0], &c, 1);
  MSG msg;
  for (auto _ : state) {
    PostMessage(echoWindow, kPing, 0, 0);
    while (GetMessage(&msg) > 0 && msg.message != kPong) DispatchMessage(&msg);
  }
  PostMessage(echoWindow, kStop, 0, 0);
  echo.join();
  DestroyWindow(g_replyTo);
  close(ready[0]);
  close(ready[1]);
}
BENCHMARK(BM_PostedMessageRoundTrip)->UseRealTime();

// One pipe wake-up: the time from the write to the woken reader.
void BM_BarePipeWakeUp(benchmark::State& state) {
  int ping[2], pong[2];
  if (pipe(ping) != 0 || pipe(pong) != 0) return state.SkipWithError("pipe");
  std::thread reader([&] {
    Clock::time_point sent;
    while (read(ping[0], &sent, sizeof sent) == sizeof sent && sent != Clock::time_point{}) {
      auto late = Clock::now() - sent;
      (void)!write(pong[1], &late, sizeof late);
    }
  });
  double totalUs = 0;
  for (auto _ : state) {
    Clock::time_point sent = Clock::now();
    Clock::duration late{};
    (void)!write(ping[1], &sent, sizeof sent);
    (void)!read(pong[0], &late, sizeof late);
    totalUs += std::chrono::duration<double, std::micro>(late).count();
  }
  Clock::time_point stop{};
  (void)!write(ping[1], &stop, sizeof stop);
  reader.join();
  state.counters["wake_us"] = totalUs / static_cast<double>(state.iterations());
  for (int fd : {ping[0], ping[1], pong[0], pong[1]}) close(fd);
}
BENCHMARK(BM_BarePipeWakeUp)->UseRealTime();

// How late a bare timed wait of 20 ms (ppoll on an idle pipe) wakes: what the
// kernel adds to any timer, the floor under WM_TIMER's lateness.
void BM_BareTimedWaitLateness(benchmark::State& state) {
  int idle[2];
  if (pipe(idle) != 0) return state.SkipWithError("pipe");
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // as the window system sets it for its threads
  double totalUs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    pollfd wait{idle[0], POLLIN, 0};
    timespec timeout{0, 20000000};
    ppoll(&wait, 1, &timeout, nullptr);
    totalUs += std::chrono::duration<double, std::micro>(Clock::now() - start - std::chrono::milliseconds(20))
                   .count();
  }
  state.counters["lateness_us"] = totalUs / static_cast<double>(state.iterations());
  close(idle[0]);
  close(idle[1]);
}
BENCHMARK(BM_BareTimedWaitLateness)->UseRealTime()->Iterations(100);

// How late WM_TIMER of a 20 ms timer arrives.
void BM_TimerLateness(benchmark::State& state) {
  HWND hwnd = MakeWindow(u"OrvBenchTimer");
  double totalUs = 0;
  MSG msg;
  for (auto _ : state) {
    auto set = Clock::now();
    SetTimer(hwnd, 1, 20);
    while (GetMessage(&msg) > 0 && msg.message != WM_TIMER) DispatchMessage(&msg);
    auto late = Clock::now() - set - std::chrono::milliseconds(20);
    KillTimer(hwnd, 1);
    totalUs += std::chrono::duration<double, std::micro>(late).count();
  }
  state.counters["lateness_us"] = totalUs / static_cast<double>(state.iterations());
  DestroyWindow(hwnd);
}
BENCHMARK(BM_TimerLateness)->UseRealTime()->Iterations(100);

// One round trip to the display (where the pointer is; headless: none): the
// anchor of the monitor query below.
void BM_PointerQuery(benchmark::State& state) {
  POINT point;
  for (auto _ : state) benchmark::DoNotOptimize(GetCursorPos(&point));
}
BENCHMARK(BM_PointerQuery)->UseRealTime();

// A window's monitor and work area, as placing a window asks them; X11
// answers from the list its connection keeps, without a round trip.
void BM_MonitorQuery(benchmark::State& state) {
  MONITORINFO info;
  for (auto _ : state)
    benchmark::DoNotOptimize(GetMonitorInfo(MonitorFromPoint({640, 400}, MONITOR_DEFAULTTONEAREST), &info));
}
BENCHMARK(BM_MonitorQuery)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::string backend = "headless";
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]).rfind("--backend=", 0) == 0) backend = std::string(argv[i]).substr(10);
  std::string error;
  if (!StartTestDisplay(backend, &error)) {
    std::fprintf(stderr, "window_bench: %s\n", error.c_str());
    return 1;
  }
  std::atexit(StopTestDisplay);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
