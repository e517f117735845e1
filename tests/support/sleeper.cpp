// orv_sleeper: sleeps for the seconds given as its first argument (default
// 2). Tests copy it under other names (explorer.exe, ORVPage.exe) to have a
// process of that name on any system.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 2;
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
