// Windows machine facts: GetComputerNameW, RtlGetVersion (else
// GetVersionExW), and the system disk's identity from
// IOCTL_STORAGE_QUERY_PROPERTY or, failing that, the SMART identify command.
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/system/machine_facts.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

using win32::U;

std::string DescriptorString(const std::vector<char>& buffer, DWORD offset, DWORD returned) {
  if (offset == 0 || offset >= returned) return {};
  const char* start = buffer.data() + offset;
  return std::string(start, strnlen(start, returned - offset));
}

// First method: the storage-property descriptor of the volume.
std::optional<DiskIdentity> QueryStorageProperty(const std::wstring& volume) {
  HANDLE device =
      CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<char> buffer(10000);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer.data(),
                                  static_cast<DWORD>(buffer.size()), &returned, nullptr);
  CloseHandle(device);
  if (!ok || returned < sizeof(STORAGE_DEVICE_DESCRIPTOR)) return std::nullopt;
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data());
  DiskIdentity identity;
  identity.fromDescriptor = true;
  identity.model = DescriptorString(buffer, descriptor->ProductIdOffset, returned);
  identity.serial = DescriptorString(buffer, descriptor->SerialNumberOffset, returned);
  return identity;
}

std::string IdentifyText(const WORD* words, int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    text.push_back(static_cast<char>(words[i] >> 8));
    text.push_back(static_cast<char>(words[i] & 0xFF));
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0' || text.back() == '\t')) text.pop_back();
  return text;
}

// Second method: the ATA identify data through SMART.
std::optional<DiskIdentity> QuerySmartIdentify(const std::wstring& volume) {
  HANDLE device =
      CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<DiskIdentity> identity;
  BYTE extents[32] = {};
  GETVERSIONINPARAMS version{};
  DWORD returned = 0;
  if (DeviceIoControl(device, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, extents, sizeof(extents),
                      &returned, nullptr) &&
      DeviceIoControl(device, SMART_GET_VERSION, nullptr, 0, &version, sizeof(version), &returned, nullptr)) {
    const DWORD disk = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(extents)->Extents[0].DiskNumber;
    SENDCMDINPARAMS in{};
    in.cBufferSize = 512;
    in.irDriveRegs.bFeaturesReg = 0;
    in.irDriveRegs.bSectorCountReg = 1;
    in.irDriveRegs.bSectorNumberReg = 1;
    in.irDriveRegs.bDriveHeadReg = (disk & 1) ? 0xB0 : 0xA0;
    in.irDriveRegs.bCommandReg = ((version.bIDEDeviceMap >> disk) & 0x10) ? 0xA1 : 0xEC;
    in.bDriveNumber = static_cast<BYTE>(disk);
    BYTE out[sizeof(SENDCMDOUTPARAMS) + 512] = {};
    if (DeviceIoControl(device, SMART_RCV_DRIVE_DATA, &in, 33, out, 529, &returned, nullptr)) {
      const auto* words =
          reinterpret_cast<const WORD*>(reinterpret_cast<const SENDCMDOUTPARAMS*>(out)->bBuffer);
      identity = DiskIdentity{IdentifyText(words, 27, 46), IdentifyText(words, 10, 19), false};
    }
  }
  CloseHandle(device);
  return identity;
}

}  // namespace

std::u16string QueryComputerName() {
  wchar_t name[4096];
  DWORD size = 4096;
  return GetComputerNameW(name, &size) ? U(name, size) : std::u16string();
}

std::optional<OsVersion> QueryOsVersion() {
  RTL_OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion =
      ntdll
          ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
          : nullptr;
  bool ok = rtlGetVersion && rtlGetVersion(&info) == 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!ok) ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
#pragma GCC diagnostic pop
  if (!ok) return std::nullopt;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  OsVersion version;
  version.platformId = info.dwPlatformId;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.productType = info.wProductType;
  version.servicePackMajor = info.wServicePackMajor;
  version.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  version.processorArch = system.wProcessorArchitecture;
  return version;
}

std::optional<DiskIdentity> QuerySystemDiskIdentity() {
  wchar_t system[MAX_PATH] = {};
  if (GetSystemDirectoryW(system, MAX_PATH) == 0) return std::nullopt;
  wchar_t volume[16];
  swprintf(volume, 16, L"\\\\.\\%c:", system[0]);
  if (auto identity = QueryStorageProperty(volume)) return identity;
  return QuerySmartIdentify(volume);
}

}  // namespace platform
