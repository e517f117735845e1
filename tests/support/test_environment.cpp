#include "support/test_environment.h"

#include <cstdlib>
#include <filesystem>

#include "platform/process.h"
#include "platform/registry.h"

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
  if (const char* old = std::getenv(name)) m_old = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (m_old) {
    setenv(m_name.c_str(), m_old->c_str(), 1);
  } else {
    unsetenv(m_name.c_str());
  }
}

TestEnvironment::TestEnvironment() {
  std::filesystem::create_directories(m_dir.path() / "runtime");
  m_env.push_back(std::make_unique<ScopedEnv>("ORV_REGISTRY", RegistryPath()));
  m_env.push_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", AppDataHome()));
  m_env.push_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", m_dir.File("runtime")));
}

void TestEnvironment::SeedUserSid(const std::u16string& sid) const {
  const std::u16string text = (sid.empty() ? platform::CurrentUserSidText() : sid) + u'\0';
  platform::RegistryKey key;
  if (key.Create(platform::RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen", platform::kKeyAllAccess) == 0) {
    (void)key.SetValue(u"UserSID", platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2));
  }
}
