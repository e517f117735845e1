// The test-mode log: one line per call appended to the program's file name
// + ".log", in the form "[hh:mm:ss.mmm] message". Callers log only in test mode.
#pragma once

// Formats with the printf rules (messages are cut at 2047 bytes) and appends
// one line. Thread-safe; a line that cannot be written is lost silently.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
