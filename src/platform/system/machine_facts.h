// Facts about the machine: its name, the Windows version it runs and the
// identity of the disk holding the system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The computer's name (GetComputerNameW); empty when unknown.
std::u16string QueryComputerName();

// Version of the running Windows system, when there is one.
struct OsVersion {
  uint32_t platformId = 0;  // 2 = NT, 1 = 9x
  uint32_t major = 0;
  uint32_t minor = 0;
  uint8_t productType = 0;  // 1 = VER_NT_WORKSTATION
  uint16_t servicePackMajor = 0;
  bool serverR2 = false;       // GetSystemMetrics(SM_SERVERR2) != 0
  uint16_t processorArch = 0;  // GetNativeSystemInfo: 9 = AMD64
};
// RtlGetVersion, else GetVersionExW; nullopt when neither works or the system
// is not Windows.
std::optional<OsVersion> QueryOsVersion();

// Identity texts of the disk that holds the system folder, as the system
// reports them (descriptor strings may be hexadecimal text or byte-swapped;
// the caller decodes them). Empty when the disk answers no query.
struct DiskIdentity {
  std::string model;
  std::string serial;
  bool fromDescriptor = false;  // true: storage-property strings, to be decoded
};
std::optional<DiskIdentity> QuerySystemDiskIdentity();

}  // namespace platform
