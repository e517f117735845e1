// orv_sleeper: sleeps for the seconds given as its first argument (default
// 2). Tests copy it under other names (explorer.exe, ORVPage.exe) to have a
// process of that name on any system.
//
// "--hold-desktop" after the seconds (Windows) also makes a hidden window,
// which joins the desktop as programs with windows do. The Windows test run
// under Wine uses it to keep Wine's desktop process alive: otherwise the
// first test program with a window starts that process, which inherits the
// program's output pipe, and ctest waits until it ends (about 20 s later).
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 2;
#ifdef _WIN32
  if (argc > 2 && std::strcmp(argv[2], "--hold-desktop") == 0) {
    (void)CreateWindowExW(0, L"STATIC", L"orv_sleeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                          nullptr);
  }
#endif
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
