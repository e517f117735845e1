#include "support/product_settings.h"

#include "platform/system/process.h"

bool OpenProductKey(platform::RegistryKey* key, const std::u16string& name) {
  const std::u16string path = platform::CurrentUserSidText() + u"\\SOFTWARE\\Brightfen\\" + name;
  return key->Create(platform::RegRoot::kUsers, path, platform::kKeyAllAccess) == 0;
}

bool SetProductString(const std::u16string& value_name, const std::u16string& value,
                      const std::u16string& key_name) {
  platform::RegistryKey key;
  const std::u16string text = value + u'\0';
  return OpenProductKey(&key, key_name) &&
         key.SetValue(value_name, platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2)) == 0;
}

bool SetProductNumber(const std::u16string& value_name, uint32_t type, uint64_t value,
                      const std::u16string& key_name) {
  platform::RegistryKey key;
  // Little-endian: the low four bytes are the DWORD.
  return OpenProductKey(&key, key_name) &&
         key.SetValue(value_name, type, &value, type == platform::kRegQword ? 8 : 4) == 0;
}
