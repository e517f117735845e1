// Settings objects: one open registry key under
// HKEY_USERS\<SID>\SOFTWARE\Brightfen\<name> for the life of the object.
// Objects are made for one use and read the registry afresh every time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/process.h"
#include "platform/system/registry.h"

class CCfgOPBase {
 public:
  // Opens (or creates) the settings key of the interactive user. When no SID
  // can be found or the key can be neither opened nor created, the object
  // holds no key: reads fail and writes fail silently.
  explicit CCfgOPBase(std::u16string name);
  virtual ~CCfgOPBase();
  CCfgOPBase(const CCfgOPBase&) = delete;
  CCfgOPBase& operator=(const CCfgOPBase&) = delete;

  bool HasKey() const { return m_key.IsOpen(); }

  // True only when the value exists as REG_QWORD (8 bytes).
  [[nodiscard]] bool ReadQword(const std::u16string& valueName, uint64_t* value) const;
  // 0 for a REG_DWORD; 13 when the value has another type; else the read's error.
  [[nodiscard]] long ReadDword(const std::u16string& valueName, uint32_t* value) const;
  // The value, or fallback when it cannot be read as its type: the two reads
  // above report failure in different ways, these say what the caller means.
  uint64_t ReadQwordOr(const std::u16string& valueName, uint64_t fallback) const;
  uint32_t ReadDwordOr(const std::u16string& valueName, uint32_t fallback) const;
  // Reads a REG_SZ or REG_EXPAND_SZ (not expanded) into buffer of *size
  // characters; *size becomes the character count with the terminator.
  // 13 for another type, an odd byte length or a missing terminator.
  [[nodiscard]] long ReadString(const std::u16string& valueName, char16_t* buffer, uint32_t* size) const;
  // Writes text as a string value of type (REG_SZ or REG_EXPAND_SZ) with its
  // terminator; 13 for a null text.
  [[nodiscard]] long WriteString(const std::u16string& valueName, const char16_t* text, uint32_t type);
  // Writes an 8-byte little-endian REG_QWORD.
  [[nodiscard]] long WriteQword(const std::u16string& valueName, uint64_t value);

  // The string SID of the interactive user: cached "UserSID" under HKCU, then
  // HKLM SOFTWARE\Brightfen; else the owner of the first "explorer.exe",
  // which is then cached in both keys. Empty when every way fails.
  static std::u16string GetUserSid();
  // Opens the token of the first process whose executable name equals
  // exeName ignoring case. Later processes of the same name are not tried.
  [[nodiscard]] static bool FindProcessToken(const std::u16string& exeName, platform::ProcessToken* token);

 protected:
  platform::RegistryKey m_key;
  std::u16string m_strName;
};

// Reads a string value of key with the rules of CCfgOPBase::ReadString into
// a buffer of maxChars characters; empty on any error.
std::u16string ReadStringValue(const platform::RegistryKey& key, const std::u16string& valueName,
                               uint32_t maxChars = 4096);
// The same for a value that names a place: a REG_EXPAND_SZ comes back with
// its %NAME% references expanded, a REG_SZ as stored.
std::u16string ReadExpandedStringValue(const platform::RegistryKey& key, const std::u16string& valueName,
                                       uint32_t maxChars = 4096);
