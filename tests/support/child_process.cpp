#include "support/child_process.h"

#include <filesystem>

std::string BuiltProgram(const std::string& name) {
  std::string path = std::string(ORV_BINARY_DIR) + "/bin/" + name;
  if (!std::string(ORV_EXE_SUFFIX).empty() && !name.ends_with(".exe")) path += ORV_EXE_SUFFIX;
  return path;
}

void CopySleeper(const std::string& path) {
  std::filesystem::copy_file(BuiltProgram("orv_sleeper"), path,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                         std::filesystem::perms::others_exec);
}
