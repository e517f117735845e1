// The program's entry: each backend's native entry point (main, wWinMain)
// calls ProgramMain and exits with its result.
#pragma once

// The whole start-up: prepare, report, run one mode, relaunch when asked.
// Always returns 0, the program's exit code.
int ProgramMain();
