// "skintool check": parses skin files with the skin markup parser.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace skintool {

// Checks each file (UTF-8 names) and prints "<file>: ok" or "<file>: <message> at line L,
// column C (offset N): <context>". Returns 0 when every file parsed, else 1.
int RunCheck(const std::vector<std::string>& files, std::ostream& out);

}  // namespace skintool
