// Starting the crash report process from inside the unhandled-exception filter.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::crash {

// Starts program with the prepared command line (which CreateProcessW may
// write into) and waits for it to end, at most waitMs milliseconds. The new
// process inherits the environment and no handles.
void RunReportProcess(const wchar_t* program, wchar_t* commandLine, uint32_t waitMs);

}  // namespace platform::crash
