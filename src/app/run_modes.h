// The run modes chosen by the first argument: the dispatch, the silent update
// and the update dialog. The start-up sequence around them is ProgramMain
// (startup.cpp).
#pragma once

#include <string>
#include <vector>

// Runs the mode the first argument names (args[0] is the program path).
void DispatchRunMode(const std::vector<std::u16string>& args);
// The same for this process's arguments.
void DispatchRunMode();

// "-auto": log line in test mode, the wait, dump upload, hidden dialog.
void RunAutoMode();
// Shows (bAuto false) or hides the update dialog and runs it until it closes.
// True when the dialog started the installer.
bool RunUpdateDialog(bool bAuto);
