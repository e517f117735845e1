// Stores arbitrary bytes under an arbitrary type in the product's settings
// key (the registry stand-in on disk) and reads them back through the
// settings object's typed reads, as the program does with values that other
// components wrote. Input: type selector, value-name selector, data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system/registry.h"
#include "settings/cfg_app.h"

namespace {

constexpr uint32_t kTypes[] = {platform::kRegSz,
                               platform::kRegExpandSz,
                               platform::kRegDword,
                               platform::kRegQword,
                               platform::kRegBinary,
                               0,
                               7,
                               0xFFFFFFFF};
const char16_t* const kNames[] = {u"InstallPath", u"AppDataPath", u"NoAction",       u"InstallSvrTime",
                                  u"AV",          u"QID",         u"VirtualMachine", u""};
constexpr char16_t kSid[] = u"S-1-5-21-0-0-0-4242";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // One store per fuzzing process, in a folder of its own; in memory where
  // the system offers it, since every operation commits to the file.
  char shared[] = "/dev/shm/orv-settings-fuzz-XXXXXX";
  char temp[] = "/tmp/orv-settings-fuzz-XXXXXX";
  const char* folder = mkdtemp(shared);
  if (folder == nullptr) folder = mkdtemp(temp);
  if (folder == nullptr) std::abort();
  setenv("ORV_REGISTRY", (std::string(folder) + "/registry.db").c_str(), 1);
  platform::RegistryKey key;
  const std::u16string sid = std::u16string(kSid) + u'\0';
  if (key.Create(platform::RegRoot::kCurrentUser, u"SOFTWARE\\Brightfen", platform::kKeyAllAccess) != 0 ||
      key.SetValue(u"UserSID", platform::kRegSz, sid.data(), static_cast<uint32_t>(sid.size() * 2)) != 0) {
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t type = kTypes[data[0] % std::size(kTypes)];
  const std::u16string name = kNames[data[1] % std::size(kNames)];
  CCfgApp settings;
  if (!settings.HasKey()) std::abort();
  platform::RegistryKey key;
  if (key.Open(platform::RegRoot::kUsers, std::u16string(kSid) + u"\\SOFTWARE\\Brightfen\\Folio",
               platform::kKeyAllAccess) != 0 ||
      key.SetValue(name, type, data + 2, static_cast<uint32_t>(size - 2)) != 0) {
    return 0;
  }
  uint64_t qword = 0;
  uint32_t dword = 0;
  (void)settings.ReadQword(name, &qword);
  (void)settings.ReadDword(name, &dword);
  for (uint32_t chars : {0u, 1u, 3u, 4096u}) {
    char16_t buffer[4096];
    uint32_t count = chars;
    (void)settings.ReadString(name, buffer, &count);
  }
  (void)settings.GetInstallPath();
  (void)settings.GetAppDataPath();
  (void)key.DeleteValue(name);
  return 0;
}
