#include "settings/cfg_op_base.h"

#include <cstring>
#include <vector>

#include "common/byte_order.h"
#include "common/product.h"
#include "common/text.h"
#include "platform/system/environment.h"

namespace {

using platform::RegRoot;

constexpr uint32_t kOpenAccess = platform::kKeyAllAccess | platform::kKeyWow64_64Key;
constexpr uint32_t kMaxChars = 4096;

std::u16string MakerKeyPath() { return std::u16string(u"SOFTWARE\\") + product::kMakerWord; }

long ReadStringInto(const platform::RegistryKey& key, const std::u16string& valueName, char16_t* buffer,
                    uint32_t* size, uint32_t* typeOut = nullptr) {
  uint32_t type = 0;
  uint32_t bytes = *size * sizeof(char16_t);
  const long rc = key.QueryValue(valueName, &type, buffer, &bytes);
  if (rc != platform::kErrorSuccess) return rc;
  if (type != platform::kRegSz && type != platform::kRegExpandSz) return platform::kErrorInvalidData;
  if (bytes == 0 || bytes % 2 != 0 || buffer[bytes / 2 - 1] != u'\0') {
    return platform::kErrorInvalidData;
  }
  *size = bytes / 2;
  if (typeOut) *typeOut = type;
  return platform::kErrorSuccess;
}

long WriteStringTo(platform::RegistryKey& key, const std::u16string& valueName, const char16_t* text,
                   uint32_t type) {
  if (text == nullptr) return platform::kErrorInvalidData;
  const size_t length = std::char_traits<char16_t>::length(text);
  return key.SetValue(valueName, type, text, static_cast<uint32_t>((length + 1) * 2));
}

std::u16string ReadCachedSid() {
  for (RegRoot root : {RegRoot::kCurrentUser, RegRoot::kLocalMachine}) {
    platform::RegistryKey key;
    if (key.Open(root, MakerKeyPath(), platform::kKeyRead | platform::kKeyWow64_64Key) != 0) continue;
    std::u16string sid = ReadStringValue(key, u"UserSID", kMaxChars);
    if (!sid.empty()) return sid;
  }
  return {};
}

// The SID of the user who owns the desktop shell process.
std::u16string ComputeShellUserSid() {
  platform::ProcessToken token;
  if (!CCfgOPBase::FindProcessToken(u"explorer.exe", &token)) return {};
  if (!platform::ImpersonateLoggedOnUser(token)) return {};
  std::u16string userName;
  const bool named = platform::QueryUserName(&userName);
  const bool reverted = platform::RevertToSelf();
  std::u16string sid;
  if (!named || !reverted || !platform::LookupAccountSidText(userName, &sid)) return {};
  return sid;
}

void CacheSid(const std::u16string& sid) {
  for (RegRoot root : {RegRoot::kCurrentUser, RegRoot::kLocalMachine}) {
    platform::RegistryKey key;
    if (key.Open(root, MakerKeyPath(), kOpenAccess) != 0 &&
        key.Create(root, MakerKeyPath(), kOpenAccess) != 0) {
      continue;
    }
    (void)WriteStringTo(key, u"UserSID", sid.c_str(), platform::kRegSz);
  }
}

}  // namespace

std::u16string ReadStringValue(const platform::RegistryKey& key, const std::u16string& valueName,
                               uint32_t maxChars) {
  std::vector<char16_t> buffer(maxChars);
  uint32_t size = maxChars;
  if (ReadStringInto(key, valueName, buffer.data(), &size) != platform::kErrorSuccess) return {};
  return std::u16string(buffer.data(), size - 1);
}

std::u16string ReadExpandedStringValue(const platform::RegistryKey& key, const std::u16string& valueName,
                                       uint32_t maxChars) {
  std::vector<char16_t> buffer(maxChars);
  uint32_t size = maxChars;
  uint32_t type = 0;
  if (ReadStringInto(key, valueName, buffer.data(), &size, &type) != platform::kErrorSuccess) return {};
  std::u16string text(buffer.data(), size - 1);
  return type == platform::kRegExpandSz ? platform::ExpandEnvironmentText(text) : text;
}

CCfgOPBase::CCfgOPBase(std::u16string name) : m_strName(std::move(name)) {
  m_key.Close();
  const std::u16string sid = GetUserSid();
  if (sid.empty()) return;
  const std::u16string path = sid + u"\\" + MakerKeyPath() + u"\\" + m_strName;
  if (m_key.Open(RegRoot::kUsers, path, kOpenAccess) != 0) {
    (void)m_key.Create(RegRoot::kUsers, path, kOpenAccess);
  }
}

CCfgOPBase::~CCfgOPBase() { m_key.Close(); }

bool CCfgOPBase::ReadQword(const std::u16string& valueName, uint64_t* value) const {
  uint8_t bytes[8] = {};
  uint32_t type = 0;
  uint32_t size = sizeof(bytes);
  if (m_key.QueryValue(valueName, &type, bytes, &size) != 0 || type != platform::kRegQword) {
    return false;
  }
  *value = LoadLe64(bytes);
  return true;
}

uint64_t CCfgOPBase::ReadQwordOr(const std::u16string& valueName, uint64_t fallback) const {
  uint64_t value = 0;
  return ReadQword(valueName, &value) ? value : fallback;
}

uint32_t CCfgOPBase::ReadDwordOr(const std::u16string& valueName, uint32_t fallback) const {
  uint32_t value = 0;
  return ReadDword(valueName, &value) == 0 ? value : fallback;
}

long CCfgOPBase::ReadDword(const std::u16string& valueName, uint32_t* value) const {
  uint8_t bytes[4] = {};
  uint32_t type = 0;
  uint32_t size = sizeof(bytes);
  const long rc = m_key.QueryValue(valueName, &type, bytes, &size);
  if (rc != platform::kErrorSuccess) return rc;
  if (type != platform::kRegDword) return platform::kErrorInvalidData;
  *value = LoadLe32(bytes);
  return platform::kErrorSuccess;
}

long CCfgOPBase::ReadString(const std::u16string& valueName, char16_t* buffer, uint32_t* size) const {
  return ReadStringInto(m_key, valueName, buffer, size);
}

long CCfgOPBase::WriteString(const std::u16string& valueName, const char16_t* text, uint32_t type) {
  return WriteStringTo(m_key, valueName, text, type);
}

long CCfgOPBase::WriteQword(const std::u16string& valueName, uint64_t value) {
  uint8_t bytes[8];
  StoreLe64(bytes, value);
  return m_key.SetValue(valueName, platform::kRegQword, bytes, sizeof(bytes));
}

std::u16string CCfgOPBase::GetUserSid() {
  std::u16string sid = ReadCachedSid();
  if (!sid.empty()) return sid;
  sid = ComputeShellUserSid();
  if (!sid.empty()) CacheSid(sid);
  return sid;
}

bool CCfgOPBase::FindProcessToken(const std::u16string& exeName, platform::ProcessToken* token) {
  for (const auto& entry : platform::SnapshotProcesses()) {
    if (EqualsIgnoreAsciiCase(entry.exeName, exeName)) {
      return platform::OpenProcessToken(entry.pid, token);
    }
  }
  return false;
}
