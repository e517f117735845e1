#include "app/dump_upload.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/product.h"
#include "common/text.h"
#include "paths_and_log/folders.h"
#include "platform/clock.h"
#include "platform/path_separator.h"
#include "server_api/server_connect.h"
#include "zip/zip_archive.h"

namespace fs = std::filesystem;
using platform::kPathSeparator;

namespace {

bool HasDumpExtension(const std::u16string& name) {
  return name.size() >= 4 && EqualsIgnoreAsciiCase(std::u16string_view(name).substr(name.size() - 4), u".dmp");
}

std::u16string FileNameOf(const std::u16string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string FolderOf(const std::u16string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

}  // namespace

void FindDumpFiles(const std::u16string& folder, std::vector<std::u16string>* list) {
  if (folder.empty()) return;
  std::error_code error;
  fs::directory_iterator it(fs::path(folder), error), end;
  for (; !error && it != end; it.increment(error)) {
    const std::u16string name = it->path().filename().u16string();
    std::error_code kindError;
    if (it->is_directory(kindError) && !it->is_symlink(kindError)) {
      FindDumpFiles(folder + name + kPathSeparator, list);
    } else if (HasDumpExtension(name)) {
      list->push_back(folder + name);
    }
  }
}

bool CollectDumps(const std::u16string& zipPath, std::vector<std::u16string>* archived) {
  archived->clear();
  std::vector<std::u16string> dumps;
  FindDumpFiles(GetInstallDir(), &dumps);
  if (dumps.empty()) return false;
  EnsureDirectoryChain(FolderOf(zipPath));
  HZIP zip = ZipArchiveCreate(zipPath.c_str());
  if (zip == nullptr) return false;
  for (const auto& dump : dumps) {
    if (ZipArchiveAddFile(zip, FileNameOf(dump).c_str(), dump.c_str()) == kZipResultOk) {
      archived->push_back(dump);
    }
  }
  const std::u16string installDir = GetInstallDir();
  (void)ZipArchiveAddFile(zip, u"Config", (installDir + u"Config").c_str());
  (void)ZipArchiveAddFile(zip, u"VERSION", (installDir + u"VERSION").c_str());
  ZipArchiveClose(zip);
  return true;
}

std::u16string BuildDumpObjectKey(const platform::Guid& guid, int64_t serverTime) {
  platform::LocalTime date;
  if (!platform::ToLocalTime(serverTime, &date)) date = platform::LocalTime{1970, 1, 1};
  char text[256];
  std::snprintf(text, sizeof(text),
                "dumps/%s/%s/%04d-%02d-%02d/%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X.zip",
                Utf16ToUtf8(product::kProductWord).c_str(), Utf16ToUtf8(product::kVersionText).c_str(),
                date.year, date.month, date.day, guid.data1, guid.data2, guid.data3, guid.data4[0],
                guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                guid.data4[6], guid.data4[7]);
  return Utf8ToUtf16(text);
}

bool UploadDumps(const std::u16string& zipPath) {
  platform::Guid guid;
  if (!platform::CreateGuid(&guid)) return false;
  CServerConnect* server = GetServerConnect();
  return server->UploadFile(BuildDumpObjectKey(guid, server->GetTimestamp()), zipPath);
}

void DeleteArchivedDumps(const std::vector<std::u16string>& archived) {
  for (const auto& dump : archived) {
    std::error_code ignored;
    fs::remove(fs::path(dump), ignored);
  }
}
