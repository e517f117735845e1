// The crash report: a crash of the program makes its crash filter start the
// program again with the crash-report switch, and that run only reports the
// crash to the server.
#pragma once

// Whether this process is the one the crash filter started to report a crash.
bool IsCrashReportProcess();

// Reports the crash of the updater module; the server client is initialised.
void SendCrashReport();
