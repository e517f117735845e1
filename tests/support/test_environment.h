// Isolates one test from the machine's per-user state: the registry (on
// POSIX a fresh registry-stand-in file; on Windows the product's keys are
// removed before and after), the application-data folder (on POSIX a
// temporary one; on Windows the product's folder in the real one is removed
// before and after) and the mutex folder. Child processes inherit it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// Sets an environment variable for the test's duration (the process and the
// children it starts), restoring the old value afterwards.
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
  ~TestEnvironment();
  TestEnvironment(const TestEnvironment&) = delete;
  TestEnvironment& operator=(const TestEnvironment&) = delete;

  const TempDir& dir() const { return m_dir; }
  // The registry stand-in's file (POSIX only; empty on Windows).
  std::string RegistryPath() const;
  // The application-data folder the program sees (CSIDL_APPDATA).
  std::string AppDataHome() const;
  // The default product data folder: <app data>/Brightfen/Folio/ with the
  // system's separators and a trailing one.
  std::string DefaultDataDir() const;
  // Writes a file into the default product data folder.
  void WriteDataFile(const std::string& name, const std::string& bytes) const;
  // Caches sid as the interactive user's "UserSID", as the product's other
  // components do, so that the settings keys are found without explorer.exe.
  // An empty sid means the SID of the user running the test.
  void SeedUserSid(const std::u16string& sid = u"") const;

 private:
  void Isolate();
  void Restore();

  TempDir m_dir;
  std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

// Environment access of the test process (and its future children).
std::optional<std::string> GetEnvVar(const char* name);
void SetEnvVar(const char* name, const std::string& value);
void UnsetEnvVar(const char* name);
