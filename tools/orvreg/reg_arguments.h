// Command-line form of orvreg, the reg.exe syntax:
//   orvreg add KEY [/v NAME] [/t TYPE] [/d DATA] [/f]
//   orvreg query KEY [/v NAME]
//   orvreg delete KEY [/v NAME] /f
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system/registry.h"

struct RegCommand {
  std::string verb;  // "add", "query" or "delete"
  platform::RegRoot root = platform::RegRoot::kCurrentUser;
  std::string rootName;  // as printed back, e.g. HKEY_CURRENT_USER
  std::string path;      // below the root, "\"-separated
  std::optional<std::string> valueName;
  std::string typeName = "REG_SZ";
  std::optional<std::string> data;
  bool force = false;
};

// Parses argv[1..]; on failure returns nullopt and sets *error.
std::optional<RegCommand> ParseRegCommand(const std::vector<std::string>& args, std::string* error);
