// POSIX sleeping through the standard library.
#include <chrono>
#include <thread>

#include "platform/system/sleep.h"

namespace platform {

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
