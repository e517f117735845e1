// The display a window-system test run uses: "headless" (the in-process
// backend), "x11" (an Xvfb this run starts on a free display number),
// "x11-noshm" (the same without MIT-SHM) or "win32" (the system's own).
#pragma once

#include <string>

// Prepares the environment for backend before the window system is first
// used; false (with the reason in *error) when that failed.
bool StartTestDisplay(const std::string& backend, std::string* error);
// Ends what StartTestDisplay started (registered with atexit by the caller).
void StopTestDisplay();
