#include "reg_arguments.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool SplitKey(const std::string& key, RegCommand* command) {
  const size_t slash = key.find('\\');
  const std::string root = Upper(key.substr(0, slash));
  command->path = slash == std::string::npos ? "" : key.substr(slash + 1);
  if (root == "HKCU" || root == "HKEY_CURRENT_USER") {
    command->root = platform::RegRoot::kCurrentUser, command->rootName = "HKEY_CURRENT_USER";
  } else if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") {
    command->root = platform::RegRoot::kLocalMachine, command->rootName = "HKEY_LOCAL_MACHINE";
  } else if (root == "HKU" || root == "HKEY_USERS") {
    command->root = platform::RegRoot::kUsers, command->rootName = "HKEY_USERS";
  } else {
    return false;
  }
  return true;
}

bool KnownType(const std::string& type) {
  return type == "REG_SZ" || type == "REG_EXPAND_SZ" || type == "REG_DWORD" || type == "REG_QWORD";
}

}  // namespace

std::optional<RegCommand> ParseRegCommand(const std::vector<std::string>& args, std::string* error) {
  RegCommand command;
  if (args.size() < 2) {
    *error = "ERROR: Invalid syntax. Usage: orvreg add|query|delete KEY [/v NAME] [/t TYPE] [/d DATA] [/f]";
    return std::nullopt;
  }
  command.verb = args[0];
  std::transform(command.verb.begin(), command.verb.end(), command.verb.begin(), ::tolower);
  if (command.verb != "add" && command.verb != "query" && command.verb != "delete") {
    *error = "ERROR: Invalid operation \"" + args[0] + "\": use add, query or delete.";
    return std::nullopt;
  }
  if (!SplitKey(args[1], &command)) {
    *error = "ERROR: Invalid key name \"" + args[1] + "\": it must start with HKCU, HKLM or HKU.";
    return std::nullopt;
  }
  std::vector<std::string> seen;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string option = Upper(args[i]);
    const bool hasValue = i + 1 < args.size();
    // reg.exe refuses a repeated option rather than guessing which one counts.
    if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
      *error = "ERROR: Option " + args[i] + " is given more than once.";
      return std::nullopt;
    }
    seen.push_back(option);
    if (option == "/F") {
      command.force = true;
    } else if ((option == "/V" || option == "/T" || option == "/D") && !hasValue) {
      *error = "ERROR: Option " + args[i] + " needs a value.";
      return std::nullopt;
    } else if (option == "/V") {
      command.valueName = args[++i];
    } else if (option == "/T") {
      command.typeName = Upper(args[++i]);
    } else if (option == "/D" && command.verb == "add") {
      command.data = args[++i];
    } else {
      *error = "ERROR: Invalid option \"" + args[i] + "\" for " + command.verb + ".";
      return std::nullopt;
    }
  }
  // Deleting a root would empty a whole hive (HKCU is the user's hive).
  if (command.verb == "delete" && !command.valueName &&
      command.path.find_first_not_of('\\') == std::string::npos) {
    *error = "ERROR: Deleting the root key " + command.rootName + " is refused; name a key below it.";
    return std::nullopt;
  }
  if (!KnownType(command.typeName)) {
    *error = "ERROR: Invalid type \"" + command.typeName +
             "\": use REG_SZ, REG_EXPAND_SZ, REG_DWORD or REG_QWORD.";
    return std::nullopt;
  }
  return command;
}
