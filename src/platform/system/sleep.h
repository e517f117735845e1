// Suspending the calling thread.
#pragma once

#include <cstdint>

namespace platform {

// Suspends the calling thread for at least milliseconds (Sleep).
void SleepMilliseconds(uint32_t milliseconds);

}  // namespace platform
