#include "paths_and_log/folders.h"

#include "common/product.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/known_folders.h"
#include "platform/path_separator.h"
#include "settings/cfg_app.h"

using platform::kPathSeparator;

namespace {

bool EndsWithSeparator(const std::u16string& path) {
  return !path.empty() && path.back() == kPathSeparator;
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
  const std::u16string stored = CCfgApp().GetAppDataPath();
  if (!stored.empty()) return stored;
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
