// Windows isolation: the real registry and application-data folder are the
// program's only stores, so the product's keys and folder are removed before
// and after each test (tests run in a throw-away Wine prefix).
#include <windows.h>
#include <shlobj.h>
#include <stdlib.h>

#include <filesystem>

#include "common/text.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"
#include "support/test_environment.h"

namespace {

void RemoveProductState(const std::string& dataDir) {
  using platform::RegRoot;
  (void)platform::RegistryKey::DeleteTree(RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen");
  (void)platform::RegistryKey::DeleteTree(RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen");
  (void)platform::RegistryKey::DeleteTree(RegRoot::kUsers,
                                          platform::CurrentUserSidText() + u"\\SOFTWARE\\Brightfen");
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::u8path(dataDir).parent_path().parent_path(), ignored);
}

}  // namespace

std::optional<std::string> GetEnvVar(const char* name) {
  size_t size = 0;
  getenv_s(&size, nullptr, 0, name);
  if (size == 0) return std::nullopt;
  std::string value(size, '\0');
  getenv_s(&size, value.data(), size, name);
  value.resize(size > 0 ? size - 1 : 0);
  return value;
}

void SetEnvVar(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

void UnsetEnvVar(const char* name) { _putenv_s(name, ""); }

std::string TestEnvironment::RegistryPath() const { return {}; }

std::string TestEnvironment::AppDataHome() const {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, TRUE);
  return Utf16ToUtf8(reinterpret_cast<const char16_t*>(path));
}

void TestEnvironment::Isolate() { RemoveProductState(DefaultDataDir()); }

void TestEnvironment::Restore() { RemoveProductState(DefaultDataDir()); }
