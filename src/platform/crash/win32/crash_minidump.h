// Writing the minidump from inside the unhandled-exception filter.
#pragma once

#include <windows.h>

namespace platform::crash {

// Creates (or truncates) the file at path and writes a dump of this process
// (every thread with its stack, the modules, thread information) into it,
// with the exception of threadId described by exception (ClientPointers
// FALSE). False when the file could not be created
// or the dump not written; a failed write leaves a partial or empty file.
bool WriteCrashDump(const wchar_t* path, EXCEPTION_POINTERS* exception, DWORD threadId);

}  // namespace platform::crash
