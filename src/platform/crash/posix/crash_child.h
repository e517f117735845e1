// Child processes of a fatal-signal handler: started with a bare clone and
// awaited with a bound.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace platform::crash {

// A copy of this process, as fork() makes it but without running the
// atfork handlers, which take the heap's locks (the crash may have happened
// holding them). The child's pid in the parent, 0 in the child, -1 when it
// could not start.
pid_t CloneChild();

// Waits at most waitMs for child to end. True, with its wait status, when
// it ended in time.
bool WaitForChild(pid_t child, uint32_t waitMs, int* status);

// CLOCK_MONOTONIC in milliseconds.
int64_t MonotonicMs();

}  // namespace platform::crash
