// Starting the crash report process from inside a fatal-signal handler.
#pragma once

#include <cstdint>

namespace platform::crash {

// Starts "program reportSwitch dumpPath" as a new process and waits for it
// to end, at most waitMs milliseconds. The new process starts with no
// signals blocked and inherits the environment.
void RunReportProcess(const char* program, const char* reportSwitch, const char* dumpPath, uint32_t waitMs);

}  // namespace platform::crash
