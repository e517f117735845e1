#include "crash_reports/dump_upload.h"

#include <algorithm>
#include <cstdio>

#include "crash_reports/dump_upload_record.h"
#include "common/product.h"
#include "common/text.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/system/clock.h"
#include "platform/system/file_handle.h"
#include "platform/system/path_separator.h"
#include "server_api/server_connect.h"
#include "zip/zip_archive.h"

using platform::kPathSeparator;

namespace {

// The entries of a 4 GiB file cannot be described without ZIP64.
constexpr uint64_t kMaxDumpBytes = 0xFFFFFFFF;

bool HasDumpExtension(const std::u16string& name) {
  return name.size() >= 4 &&
         EqualsIgnoreAsciiCase(std::u16string_view(name).substr(name.size() - 4), u".dmp");
}

std::u16string FileNameOf(const std::u16string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string FolderOf(const std::u16string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

// Adds one dump; false only when the archive itself could not be written.
// A dump that was archived unchanged from start to end goes into *archived.
bool AddDump(HZIP zip, const std::u16string& dump, std::vector<TArchivedDump>* archived) {
  platform::FileIdentity before;
  if (!platform::QueryPathIdentity(dump, &before) || before.kind != platform::EFileKind::kRegular ||
      before.size > kMaxDumpBytes) {
    return true;
  }
  const uint32_t result = ZipArchiveAddFile(zip, FileNameOf(dump).c_str(), dump.c_str(), kZipAddRegularOnly);
  if (result == kZipResultWriteFailed) return false;
  platform::FileIdentity after;
  if (result == kZipResultOk && platform::QueryPathIdentity(dump, &after) && after == before) {
    archived->push_back({dump, before});
  }
  return true;
}

// Adds the install folder's file name under its own name. A missing file is
// fine; false only when the archive could not be written.
bool AddInstallFile(HZIP zip, const std::u16string& installDir, const char16_t* name) {
  return ZipArchiveAddFile(zip, name, (installDir + name).c_str(), kZipAddRegularOnly) !=
         kZipResultWriteFailed;
}

}  // namespace

void FindDumpFiles(const std::u16string& folder, std::vector<std::u16string>* list) {
  std::vector<std::u16string> names;
  if (folder.empty() || !platform::ListFolder(folder, &names)) return;
  for (const std::u16string& name : names) {
    const std::u16string path = folder + name;
    platform::FileIdentity identity;
    if (!platform::QueryPathIdentity(path, &identity)) continue;
    if (identity.kind == platform::EFileKind::kFolder) {
      FindDumpFiles(path + kPathSeparator, list);
    } else if (identity.kind == platform::EFileKind::kRegular && HasDumpExtension(name)) {
      list->push_back(path);
    }
  }
}

bool CollectDumps(const std::u16string& zipPath, std::vector<TArchivedDump>* archived) {
  archived->clear();
  std::vector<std::u16string> dumps;
  FindDumpFiles(GetInstallDir(), &dumps);
  if (dumps.empty()) return false;
  EnsureDirectoryChain(FolderOf(zipPath));
  platform::ForgetWriteFailures();
  HZIP zip = ZipArchiveCreate(zipPath.c_str());
  if (zip == nullptr) {
    if (IsTestMode()) WriteLog("dump archive not created");
    return false;
  }
  bool written = true;
  for (size_t i = 0; written && i < dumps.size(); ++i) written = AddDump(zip, dumps[i], archived);
  const std::u16string installDir = GetInstallDir();
  written =
      written && AddInstallFile(zip, installDir, u"Config") && AddInstallFile(zip, installDir, u"VERSION");
  written = ZipArchiveClose(zip) == kZipResultOk && written;
  if (written) return true;
  if (IsTestMode()) {
    WriteLog("dump archive not written%s", platform::WriteLackedRoom() ? ": disk full" : "");
  }
  // A cut archive must not reach the server; it would only fill the disk.
  archived->clear();
  (void)platform::DeleteFileAt(zipPath);
  return false;
}

std::u16string BuildDumpObjectKey(const platform::Guid& guid, int64_t serverTime) {
  platform::LocalTime date;
  if (!platform::ToLocalTime(serverTime, &date)) date = platform::LocalTime{1970, 1, 1};
  char text[256];
  std::snprintf(
      text, sizeof(text), "dumps/%s/%s/%04d-%02d-%02d/%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X.zip",
      Utf16ToUtf8(product::kProductWord).c_str(), Utf16ToUtf8(product::kVersionText).c_str(), date.year,
      date.month, date.day, guid.data1, guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2],
      guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
  return Utf8ToUtf16(text);
}

bool UploadDumps(const std::u16string& zipPath, const std::vector<TArchivedDump>& archived) {
  platform::Guid guid;
  if (!platform::CreateGuid(&guid)) return false;
  CServerConnect* server = GetServerConnect();
  TPendingUpload pending{BuildDumpObjectKey(guid, server->GetTimestamp()), {}, archived};
  // Without the record a run ended after the store would send the dumps
  // again under another key; they wait on disk instead.
  const std::u16string record = PendingUploadPath(zipPath);
  if (!FingerprintArchive(zipPath, &pending.archive) || !WritePendingUpload(record, pending)) {
    if (IsTestMode()) WriteLog("dump archive not sent: its upload could not be recorded");
    return false;
  }
  if (!server->UploadFile(pending.objectKey, zipPath)) return false;
  // Dumps first: a record outliving them only sends the same object again.
  DeleteArchivedDumps(archived);
  (void)platform::DeleteFileAt(record);
  return true;
}

bool ResumePendingUpload(const std::u16string& zipPath) {
  const std::u16string record = PendingUploadPath(zipPath);
  TPendingUpload pending;
  TArchiveFingerprint now;
  if (!ReadPendingUpload(record, &pending) || !FingerprintArchive(zipPath, &now) || now != pending.archive) {
    (void)platform::DeleteFileAt(record);
    return true;
  }
  if (IsTestMode()) WriteLog("dump archive sent again under its first key");
  if (!GetServerConnect()->UploadFile(pending.objectKey, zipPath)) return false;
  // Only dumps that a collection would take now are deleted: the record
  // lies in a folder its user may write, and names no other file.
  std::vector<std::u16string> present;
  FindDumpFiles(GetInstallDir(), &present);
  std::vector<TArchivedDump> archived;
  for (const TArchivedDump& dump : pending.dumps) {
    if (std::find(present.begin(), present.end(), dump.path) != present.end()) {
      archived.push_back(dump);
    }
  }
  DeleteArchivedDumps(archived);
  (void)platform::DeleteFileAt(record);
  return true;
}

void DeleteArchivedDumps(const std::vector<TArchivedDump>& archived) {
  for (const TArchivedDump& dump : archived) {
    // A dump that grew, or another file under its name, holds data the
    // uploaded archive does not: it stays for the next run.
    platform::FileIdentity now;
    if (platform::QueryPathIdentity(dump.path, &now) && now == dump.identity) {
      (void)platform::DeleteFileAt(dump.path);
    }
  }
}

void RunDumpUpload(const std::u16string& zipPath) {
  // An archive whose upload an earlier run began goes first, as it was: a
  // new collection would hold its dumps too and store them a second time.
  if (!ResumePendingUpload(zipPath)) return;
  std::vector<TArchivedDump> archived;
  if (!CollectDumps(zipPath, &archived)) return;
  // A dump leaves the disk only once the archive holding it is on the server.
  (void)UploadDumps(zipPath, archived);
}
