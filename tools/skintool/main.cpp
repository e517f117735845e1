// skintool: developer tool for skin files.
//   skintool check FILE...                                      parse each file and report "ok" or the error
//   skintool tree FILE [--size WxH] [--dpi PERCENT]             print the laid-out control tree
//   skintool render FILE [--size WxH] [--dpi PERCENT] --out PNG paint the skin into a PNG
// FILE is a path, or @NAME for a file of the skin archive built into the program.
#include <iostream>
#include <string>
#include <vector>

#include "check_command.h"
#include "common/text.h"
#include "platform/system/process_command_line.h"
#include "view_commands.h"

namespace {

constexpr char kUsage[] =
    "usage: skintool check FILE...\n"
    "       skintool tree FILE [--size WxH] [--dpi PERCENT]\n"
    "       skintool render FILE [--size WxH] [--dpi PERCENT] --out PNG\n"
    "FILE is a path, or @NAME for a file of the program's skin archive\n";

}  // namespace

int main() {
  // The system's own wide arguments: on Windows argv is in the ANSI code
  // page, which cannot hold every file name.
  const std::vector<std::u16string> wide = platform::GetCommandLineArgs();
  std::vector<std::string> args;
  for (size_t i = 2; i < wide.size(); ++i) args.push_back(Utf16ToUtf8(wide[i]));
  const std::u16string command = wide.size() >= 2 ? wide[1] : u"";
  if (command == u"check" && !args.empty()) return skintool::RunCheck(args, std::cout);
  if (command == u"tree") return skintool::RunTree(args, std::cout, std::cerr);
  if (command == u"render") return skintool::RunRender(args, std::cout, std::cerr);
  std::cerr << kUsage;
  return 2;
}
