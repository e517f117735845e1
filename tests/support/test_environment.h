// Points every per-user store of the program at a fresh temporary folder for
// one test: the registry stand-in (ORV_REGISTRY), the application-data folder
// (XDG_DATA_HOME) and the mutex folder (XDG_RUNTIME_DIR). Restores the previous
// values on destruction. Child processes started by the test inherit them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

class TestEnvironment {
 public:
  TestEnvironment();
  const TempDir& dir() const { return m_dir; }
  std::string RegistryPath() const { return m_dir.File("registry.db"); }
  std::string AppDataHome() const { return m_dir.File("appdata"); }
  // The default product data folder: <app data>/Brightfen/Folio/
  std::string DefaultDataDir() const { return AppDataHome() + "/Brightfen/Folio/"; }
  // Caches sid as the interactive user's "UserSID", as the product's other
  // components do, so that the settings keys are found without explorer.exe.
  // An empty sid means the SID of the user running the test.
  void SeedUserSid(const std::u16string& sid = u"") const;

 private:
  TempDir m_dir;
  std::vector<std::unique_ptr<ScopedEnv>> m_env;
};
