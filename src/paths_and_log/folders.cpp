#include "paths_and_log/folders.h"

#include <atomic>

#include "common/product.h"
#include "paths_and_log/log.h"
#include "platform/system/codepage.h"
#include "platform/system/file_system.h"
#include "platform/system/folder_listing.h"
#include "platform/system/known_folders.h"
#include "platform/system/path_separator.h"
#include "settings/cfg_app.h"

using platform::kPathSeparator;

namespace {

bool EndsWithSeparator(const std::u16string& path) { return !path.empty() && path.back() == kPathSeparator; }

// The user's application-data folder + Brightfen + Folio, created when
// missing; empty when the application-data folder is unknown.
std::u16string DefaultDataDir() {
  std::u16string path = platform::GetAppDataFolder();
  if (path.empty()) return {};
  if (!EndsWithSeparator(path)) path.push_back(kPathSeparator);
  path += product::kMakerWord;
  path.push_back(kPathSeparator);
  path += product::kProductKey;
  path.push_back(kPathSeparator);
  EnsureDirectoryChain(path);
  return path;
}

// A relative folder would follow whatever the working folder is. Said once
// per process (the folder is asked for at every file use), and only in test
// mode, whose marker is then looked up in the folder used instead.
void LogRefusedDataDir(const std::u16string& stored, const std::u16string& used) {
  static std::atomic<bool> logged{false};
  if (logged.load() || !platform::PathExists(used + u"AppTest.txt") || logged.exchange(true)) return;
  WriteLog("AppDataPath \"%s\" is not an absolute folder; using \"%s\"", platform::WideToAnsi(stored).c_str(),
           platform::WideToAnsi(used).c_str());
}

}  // namespace

std::u16string GetModuleDir() {
  const std::u16string file = platform::GetProgramFilePath();
  const size_t cut = file.rfind(kPathSeparator);
  return cut == std::u16string::npos ? std::u16string() : file.substr(0, cut + 1);
}

std::u16string GetInstallDir() {
  std::u16string path = CCfgApp().GetInstallPath();
  if (path.empty()) return GetModuleDir();
  if (!EndsWithSeparator(path)) path.push_back(kPathSeparator);
  return path;
}

std::u16string GetDataDir() {
  std::u16string stored = CCfgApp().GetAppDataPath();
  if (platform::IsAbsolutePath(stored)) {
    // Callers append file names directly: a folder stored without its
    // separator would put them beside it instead of in it.
    if (!EndsWithSeparator(stored)) stored.push_back(kPathSeparator);
    return stored;
  }
  std::u16string path = DefaultDataDir();
  if (!stored.empty()) LogRefusedDataDir(stored, path);
  return path;
}

void EnsureDirectoryChain(const std::u16string& path) {
  if (platform::PathExists(path)) return;
  for (size_t pos = path.find(kPathSeparator); pos != std::u16string::npos;
       pos = path.find(kPathSeparator, pos + 1)) {
    const std::u16string prefix = path.substr(0, pos + 1);
    if (!platform::PathExists(prefix)) (void)platform::MakeDirectory(prefix);
  }
}

bool EnsureRealFolder(const std::u16string& path) {
  EnsureDirectoryChain(path);
  // Without its separator the folder is described itself, not what it links to.
  const std::u16string folder = EndsWithSeparator(path) ? path.substr(0, path.size() - 1) : path;
  platform::FileIdentity identity;
  return platform::QueryPathIdentity(folder, &identity) && identity.kind == platform::EFileKind::kFolder;
}

bool IsTestMode() { return platform::PathExists(GetDataDir() + u"AppTest.txt"); }
