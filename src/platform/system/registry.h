// Registry keys with typed values: the Windows registry, or its stand-in.
//
// Results are Win32 error codes (0 = success). The stand-in gives the same
// codes for the same situations: 2 when a key or value is missing, 234 when a
// caller buffer is too small, 13 for values it cannot make sense of, 1009 when
// the store itself cannot be read (corrupt database file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class RegRoot { kCurrentUser, kLocalMachine, kUsers };

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegQword = 11;

// Access rights, as Windows names them.
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyWow64_64Key = 0x0100;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidData = 13;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorBadDb = 1009;  // ERROR_BADDB: the store is corrupt

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key root\path ("\"-separated, case-insensitive).
  // Fails with 2 when the key does not exist.
  [[nodiscard]] long Open(RegRoot root, const std::u16string& path, uint32_t access);
  // Opens root\path, creating it and every missing parent key first.
  [[nodiscard]] long Create(RegRoot root, const std::u16string& path, uint32_t access);
  // Closes the key; a closed key fails every operation with 6 (invalid handle).
  void Close();
  bool IsOpen() const { return m_open; }
  uint32_t Access() const { return m_access; }

  // Reads a value as RegQueryValueExW does: *size is the caller buffer size in
  // bytes on entry and the value's byte size on return; a buffer that is too
  // small gives 234 (type and size still set); buffer may be null to ask only
  // for type and size.
  [[nodiscard]] long QueryValue(const std::u16string& name, uint32_t* type, void* buffer,
                                uint32_t* size) const;
  // Writes (replaces) a value of the given type with the given raw bytes.
  [[nodiscard]] long SetValue(const std::u16string& name, uint32_t type, const void* data, uint32_t size);
  // Deletes a value; 2 when it does not exist.
  [[nodiscard]] long DeleteValue(const std::u16string& name);

  struct Value {
    std::u16string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };
  // Lists the key's values in name order.
  [[nodiscard]] long EnumValues(std::vector<Value>* values) const;

  // Deletes root\path, its values and all of its sub-keys; 2 when missing.
  [[nodiscard]] static long DeleteTree(RegRoot root, const std::u16string& path);

 private:
  bool m_open = false;
  uint32_t m_access = 0;
#if defined(_WIN32)
  void* m_handle = nullptr;  // HKEY
#else
  std::u16string m_path;  // full path from the store's root, e.g. HKU\S-1-...\SOFTWARE
#endif
};

// The file that holds the registry stand-in (POSIX: $ORV_REGISTRY, else
// <application data>/orvane/registry.db); empty where the real registry is used.
std::u16string RegistryStorePath();

}  // namespace platform
