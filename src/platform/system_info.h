// Facts about the program, the user's folders and the machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Full file name of the module holding the program's code; empty when unknown.
std::u16string GetProgramFilePath();
// The user's application-data folder (CSIDL_APPDATA), without a trailing
// separator; empty when unknown. POSIX: $XDG_DATA_HOME, else ~/.local/share.
std::u16string GetAppDataFolder();
// The computer's name (GetComputerNameW); empty when unknown.
std::u16string QueryComputerName();

// True when a file or folder exists at path (PathFileExistsW).
bool PathExists(const std::u16string& path);
// Creates one folder; false when it could not be created.
bool MakeDirectory(const std::u16string& path);

// The value of an environment variable, when set.
std::optional<std::u16string> ReadEnvironmentVariable(const char* name);

// Local calendar time (GetLocalTime / localtime).
struct LocalTime {
  int year = 0, month = 0, day = 0;  // month 1-12
  int dayOfYear = 0;                 // 0-365
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
// The local time now, to the millisecond.
LocalTime GetLocalTime();
// Converts seconds since 1970-01-01 UTC to local calendar time; false when
// the time cannot be represented.
bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local);
// Seconds since 1970-01-01 UTC now (_time64).
int64_t GetUnixTime();

// Suspends the calling thread.
void SleepMilliseconds(uint32_t milliseconds);

// The full command line of the process, program path included (GetCommandLineW).
std::u16string GetCommandLineText();
// The command line split into arguments, program path first (CommandLineToArgvW).
std::vector<std::u16string> GetCommandLineArgs();
// The arguments after the program path as one Windows-style text (lpCmdLine).
std::u16string GetArgumentsText();

// Version of the running Windows system, when there is one.
struct OsVersion {
  uint32_t platformId = 0;  // 2 = NT, 1 = 9x
  uint32_t major = 0;
  uint32_t minor = 0;
  uint8_t productType = 0;  // 1 = VER_NT_WORKSTATION
  uint16_t servicePackMajor = 0;
  bool serverR2 = false;         // GetSystemMetrics(SM_SERVERR2) != 0
  uint16_t processorArch = 0;    // GetNativeSystemInfo: 9 = AMD64
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
