// POSIX facts about the program, folders and machine: the program file from
// /proc/self/exe, the application-data folder from the XDG data home, the
// host name, the command line from /proc/self/cmdline, and the identity of
// the disk holding "/" from sysfs or udev data.
// Not covered: a Windows version (QueryOsVersion has none to give).
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/command_line.h"
#include "common/text.h"
#include "platform/system_info.h"

namespace platform {
namespace {

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> ProcessArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  return args;
}

// The whole-disk device of a block device number (a partition's parent).
std::string DiskSysfsFolder(dev_t device) {
  const std::string node = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
                           std::to_string(minor(device));
  char resolved[4096];
  if (realpath(node.c_str(), resolved) == nullptr) return {};
  std::string folder = resolved;
  struct stat st;
  if (stat((folder + "/partition").c_str(), &st) == 0) folder = folder.substr(0, folder.rfind('/'));
  return folder;
}

// Reads "E:KEY=value" from the udev database entry of a block device.
std::string UdevProperty(const std::string& devNumbers, const std::string& key) {
  std::ifstream in("/run/udev/data/b" + devNumbers);
  std::string line;
  const std::string prefix = "E:" + key + "=";
  while (std::getline(in, line)) {
    if (line.starts_with(prefix)) return line.substr(prefix.size());
  }
  return {};
}

}  // namespace

std::u16string GetProgramFilePath() {
  char path[4096];
  const ssize_t len = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (len <= 0) return {};
  return Utf8ToUtf16(std::string(path, static_cast<size_t>(len)));
}

std::u16string GetAppDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return Utf8ToUtf16(xdg);
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* pw = getpwuid(getuid())) {
    home = pw->pw_dir;
  }
  if (home.empty()) return {};
  return Utf8ToUtf16(home + "/.local/share");
}

std::u16string QueryComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof(name) - 1) != 0) return {};
  return Utf8ToUtf16(name);
}

bool PathExists(const std::u16string& path) {
  struct stat st;
  return !path.empty() && stat(Utf16ToUtf8(path).c_str(), &st) == 0;
}

bool MakeDirectory(const std::u16string& path) {
  return mkdir(Utf16ToUtf8(path).c_str(), 0755) == 0;
}

std::optional<std::u16string> ReadEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToUtf16(value);
}

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::u16string GetCommandLineText() { return JoinCommandLine(GetCommandLineArgs()); }

std::vector<std::u16string> GetCommandLineArgs() {
  std::vector<std::u16string> args;
  for (const auto& arg : ProcessArguments()) args.push_back(Utf8ToUtf16(arg));
  return args;
}

std::u16string GetArgumentsText() {
  auto args = GetCommandLineArgs();
  if (!args.empty()) args.erase(args.begin());
  return JoinCommandLine(args);
}

LocalTime GetLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  LocalTime local;
  ToLocalTime(ms.count() / 1000, &local);
  local.millisecond = static_cast<int>(ms.count() % 1000);
  return local;
}

bool ToLocalTime(int64_t secondsSinceEpoch, LocalTime* local) {
  const std::time_t seconds = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm tm{};
  if (localtime_r(&seconds, &tm) == nullptr) return false;
  *local = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_yday,
                     tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
  return true;
}

int64_t GetUnixTime() { return static_cast<int64_t>(std::time(nullptr)); }

std::optional<OsVersion> QueryOsVersion() { return std::nullopt; }

std::optional<DiskIdentity> QuerySystemDiskIdentity() {
  struct stat st;
  if (stat("/", &st) != 0 || major(st.st_dev) == 0) return std::nullopt;  // overlay, tmpfs, ...
  const std::string folder = DiskSysfsFolder(st.st_dev);
  DiskIdentity identity;
  identity.model = Trim(ReadFirstLine(folder + "/device/model"));
  identity.serial = Trim(ReadFirstLine(folder + "/device/serial"));
  if (identity.serial.empty()) identity.serial = Trim(ReadFirstLine(folder + "/serial"));
  const std::string numbers = ReadFirstLine(folder + "/dev");
  if (identity.model.empty()) identity.model = UdevProperty(numbers, "ID_MODEL");
  if (identity.serial.empty()) identity.serial = UdevProperty(numbers, "ID_SERIAL_SHORT");
  if (identity.model.empty() && identity.serial.empty()) return std::nullopt;
  return identity;
}

}  // namespace platform
