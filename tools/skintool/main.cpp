// skintool: developer tool for skin files.
//   skintool check FILE...   parse each file and report "ok" or the error
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "check_command.h"

int main(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], "check") != 0) {
    std::cerr << "usage: skintool check FILE...\n";
    return 2;
  }
  std::vector<std::string> files(argv + 2, argv + argc);
  return skintool::RunCheck(files, std::cout);
}
