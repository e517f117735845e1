// Windows command line of the running process: GetCommandLineW and
// CommandLineToArgvW.
#include <windows.h>
#include <shellapi.h>

#include "platform/system/process_command_line.h"
#include "platform/system/win32/wide.h"

namespace platform {

std::u16string GetCommandLineText() { return win32::U(GetCommandLineW()); }

std::vector<std::u16string> GetCommandLineArgs() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::u16string> args;
  for (int i = 0; argv && i < count; ++i) args.push_back(win32::U(argv[i]));
  LocalFree(argv);
  return args;
}

std::u16string GetArgumentsText() {
  // lpCmdLine: the command line after the program path, as the system gives it.
  const wchar_t* text = GetCommandLineW();
  bool quoted = false;
  while (*text && (quoted || (*text != L' ' && *text != L'\t'))) {
    if (*text == L'"') quoted = !quoted;
    ++text;
  }
  while (*text == L' ' || *text == L'\t') ++text;
  return win32::U(text);
}

}  // namespace platform
