// skintool: developer tool for skin files.
//   skintool check FILE...   parse each file and report "ok" or the error
#include <iostream>
#include <string>
#include <vector>

#include "check_command.h"
#include "common/text.h"
#include "platform/process_command_line.h"

int main() {
  // The system's own wide arguments: on Windows argv is in the ANSI code
  // page, which cannot hold every file name.
  const std::vector<std::u16string> args = platform::GetCommandLineArgs();
  if (args.size() < 3 || args[1] != u"check") {
    std::cerr << "usage: skintool check FILE...\n";
    return 2;
  }
  std::vector<std::string> files;
  for (size_t i = 2; i < args.size(); ++i) files.push_back(Utf16ToUtf8(args[i]));
  return skintool::RunCheck(files, std::cout);
}
