// POSIX machine facts: the host name, and the identity of the disk holding
// "/" from sysfs or udev data.
// Not covered: a Windows version (QueryOsVersion has none to give).
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "common/text.h"
#include "platform/system/machine_facts.h"

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

// The whole-disk device of a block device number (a partition's parent).
std::string DiskSysfsFolder(dev_t device) {
  const std::string node =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
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

std::u16string QueryComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof(name) - 1) != 0) return {};
  return Utf8ToUtf16(name);
}

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
