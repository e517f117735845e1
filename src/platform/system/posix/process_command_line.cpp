// POSIX command line of the running process, from /proc/self/cmdline; the
// Windows-style texts are joined with the quoting rules of common/.
#include <fstream>

#include "common/command_line.h"
#include "common/text.h"
#include "platform/system/process_command_line.h"

namespace platform {
namespace {

std::vector<std::string> ProcessArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  return args;
}

}  // namespace

std::u16string GetCommandLineText() { return JoinCommandLine(GetCommandLineArgs()); }

std::vector<std::u16string> GetCommandLineArgs() {
  std::vector<std::u16string> args;
  for (const auto& arg : ProcessArguments()) args.push_back(Utf8ToUtf16(arg));
  return args;
}

std::u16string GetArgumentsText() {
  auto args = GetCommandLineArgs();
  if (!args.empty()) args.erase(args.begin());
  return JoinCommandLine(args);
}

}  // namespace platform
