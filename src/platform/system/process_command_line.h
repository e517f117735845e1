// The command line the running process was started with. Splitting and
// joining Windows command lines is common/command_line.h.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The full command line of the process, program path included (GetCommandLineW).
std::u16string GetCommandLineText();
// The command line split into arguments, program path first (CommandLineToArgvW).
std::vector<std::u16string> GetCommandLineArgs();
// The arguments after the program path as one Windows-style text (lpCmdLine).
std::u16string GetArgumentsText();

}  // namespace platform
