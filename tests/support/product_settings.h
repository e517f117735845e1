// The product's per-user settings as the tests prepare them: values under
// HKEY_USERS\<the test user's SID>\SOFTWARE\Brightfen\<key>.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/registry.h"

// Opens the key, creating it when missing; false when it cannot be.
bool OpenProductKey(platform::RegistryKey* key, const std::u16string& name = u"Folio");
// Writes a REG_SZ value, terminated as the product writes its strings.
bool SetProductString(const std::u16string& value_name, const std::u16string& value,
                      const std::u16string& key_name = u"Folio");
// Writes a REG_DWORD or REG_QWORD value.
bool SetProductNumber(const std::u16string& value_name, uint32_t type, uint64_t value,
                      const std::u16string& key_name = u"Folio");
