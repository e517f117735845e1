// POSIX isolation: every per-user store of the program points into the
// test's temporary folder through the environment.
#include <cstdlib>
#include <filesystem>

#include "support/test_environment.h"

std::optional<std::string> GetEnvVar(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvVar(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

void UnsetEnvVar(const char* name) { unsetenv(name); }

std::string TestEnvironment::RegistryPath() const { return m_dir.File("registry.db"); }

std::string TestEnvironment::AppDataHome() const { return m_dir.File("appdata"); }

void TestEnvironment::Isolate() {
  std::filesystem::create_directories(m_dir.path() / "runtime");
  m_env.push_back(std::make_unique<ScopedEnv>("ORV_REGISTRY", RegistryPath()));
  m_env.push_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", AppDataHome()));
  m_env.push_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", m_dir.File("runtime")));
}

void TestEnvironment::Restore() { m_env.clear(); }
