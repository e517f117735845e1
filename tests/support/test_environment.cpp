#include "support/test_environment.h"

#include <filesystem>
#include <fstream>

#include "platform/system/path_separator.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
  m_old = GetEnvVar(name);
  SetEnvVar(name, value);
}

ScopedEnv::~ScopedEnv() {
  if (m_old) {
    SetEnvVar(m_name.c_str(), *m_old);
  } else {
    UnsetEnvVar(m_name.c_str());
  }
}

TestEnvironment::TestEnvironment() { Isolate(); }

TestEnvironment::~TestEnvironment() { Restore(); }

std::string TestEnvironment::DefaultDataDir() const {
  const char sep = static_cast<char>(platform::kPathSeparator);
  return AppDataHome() + sep + "Brightfen" + sep + "Folio" + sep;
}

void TestEnvironment::WriteDataFile(const std::string& name, const std::string& bytes) const {
  std::filesystem::create_directories(DefaultDataDir());
  std::ofstream out(DefaultDataDir() + name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TestEnvironment::SeedUserSid(const std::u16string& sid) const {
  const std::u16string text = (sid.empty() ? platform::CurrentUserSidText() : sid) + u'\0';
  platform::RegistryKey key;
  if (key.Create(platform::RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen", platform::kKeyAllAccess) == 0) {
    (void)key.SetValue(u"UserSID", platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2));
  }
}
