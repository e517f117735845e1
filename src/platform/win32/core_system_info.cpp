// Windows facts about the program, folders and machine: GetModuleFileNameW
// of the module found with VirtualQuery, SHGetSpecialFolderPathW(CSIDL_APPDATA),
// GetComputerNameW, PathFileExistsW, _wmkdir, the process environment,
// GetCommandLineW / CommandLineToArgvW, local time, RtlGetVersion (else
// GetVersionExW), and the system disk's identity from IOCTL_STORAGE_QUERY_PROPERTY
// or, failing that, the SMART identify command.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winioctl.h>

#include <cstring>
#include <cwchar>
#include <ctime>
#include <direct.h>

#include "common/command_line.h"
#include "platform/system_info.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using win32::U;
using win32::W;

// The module holding this code (the program, or a test binary).
HMODULE OwnModule() {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<const void*>(&OwnModule), &info, sizeof(info)) == 0) return nullptr;
  return static_cast<HMODULE>(info.AllocationBase);
}

std::string DescriptorString(const std::vector<char>& buffer, DWORD offset, DWORD returned) {
  if (offset == 0 || offset >= returned) return {};
  const char* start = buffer.data() + offset;
  return std::string(start, strnlen(start, returned - offset));
}

// First method: the storage-property descriptor of the volume.
std::optional<DiskIdentity> QueryStorageProperty(const std::wstring& volume) {
  HANDLE device = CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<char> buffer(10000);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                                  buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr);
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
  HANDLE device = CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<DiskIdentity> identity;
  BYTE extents[32] = {};
  GETVERSIONINPARAMS version{};
  DWORD returned = 0;
  if (DeviceIoControl(device, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, extents, sizeof(extents), &returned, nullptr) &&
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
      const auto* words = reinterpret_cast<const WORD*>(reinterpret_cast<const SENDCMDOUTPARAMS*>(out)->bBuffer);
      identity = DiskIdentity{IdentifyText(words, 27, 46), IdentifyText(words, 10, 19), false};
    }
  }
  CloseHandle(device);
  return identity;
}

}  // namespace

std::u16string GetProgramFilePath() {
  wchar_t name[1024];
  DWORD length = GetModuleFileNameW(OwnModule(), name, 1024);
  if (length == 0) length = GetModuleFileNameW(nullptr, name, 1024);
  return length == 0 ? std::u16string() : U(name, length);
}

std::u16string GetAppDataFolder() {
  wchar_t path[512] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE)) return {};
  return U(path);
}

std::u16string QueryComputerName() {
  wchar_t name[4096];
  DWORD size = 4096;
  return GetComputerNameW(name, &size) ? U(name, size) : std::u16string();
}

bool PathExists(const std::u16string& path) { return !path.empty() && PathFileExistsW(W(path)); }

bool MakeDirectory(const std::u16string& path) { return _wmkdir(W(path)) == 0; }

std::optional<std::u16string> ReadEnvironmentVariable(const char* name) {
  const std::u16string wideName(name, name + std::strlen(name));
  const DWORD size = GetEnvironmentVariableW(W(wideName), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::u16string value(size, u'\0');
  const DWORD length = GetEnvironmentVariableW(W(wideName), win32::WBuffer(value), size);
  value.resize(length);
  return value;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

std::u16string GetCommandLineText() { return U(GetCommandLineW()); }

std::vector<std::u16string> GetCommandLineArgs() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::u16string> args;
  for (int i = 0; argv && i < count; ++i) args.push_back(U(argv[i]));
  LocalFree(argv);
  return args;
}

std::u16string GetArgumentsText() {
  // lpCmdLine: the command line after the program path, as the system gives it.
  const wchar_t* text = GetCommandLineW();
  bool quoted = false;
  while (*text && (quoted || (*text != L' ' && *text != L'\t'))) {
    if (*text == L'"') quoted = !quoted;
    ++text;
  }
  while (*text == L' ' || *text == L'\t') ++text;
  return U(text);
}

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LocalTime local;
  ToLocalTime(static_cast<int64_t>(_time64(nullptr)), &local);
  local.hour = now.wHour, local.minute = now.wMinute, local.second = now.wSecond;
  local.millisecond = now.wMilliseconds;
  return local;
}

bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local) {
  const __time64_t seconds = secondsSinceEpoch;
  std::tm tm{};
  if (_localtime64_s(&tm, &seconds) != 0) return false;
  *local = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_yday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
  return true;
}

int64_t GetUnixTime() { return static_cast<int64_t>(_time64(nullptr)); }

std::optional<OsVersion> QueryOsVersion() {
  RTL_OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
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
