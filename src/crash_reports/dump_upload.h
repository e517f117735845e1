// Collecting the product's crash dumps into one archive and uploading it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/folder_listing.h"
#include "platform/system/guid.h"

// Collects the product's crash dumps into zipPath and uploads the archive;
// an archive whose upload an earlier run began goes first (see
// ResumePendingUpload).
void RunDumpUpload(const std::u16string& zipPath);

// A dump that went into the archive, and how it looked when it did.
struct TArchivedDump {
  std::u16string path;
  platform::FileIdentity identity;
};

// Appends every regular file under folder (which ends with a separator),
// sub-folders included, whose name ends in ".dmp" ignoring case, in the order
// the folder walk meets them. Links are neither taken nor followed; names the
// system cannot convert are skipped. Never throws.
void FindDumpFiles(const std::u16string& folder, std::vector<std::u16string>* list);

// Packs the install folder's dumps, then its "Config" and "VERSION", into a
// fresh archive at zipPath. False when there is no dump, the archive cannot
// be created, or any part of it could not be written (a full disk): then
// nothing may be uploaded or deleted, and the broken archive is removed.
// Dumps that cannot be archived whole (not a regular file, 4 GiB or more,
// changing while read) are left out and stay for a later run. *archived
// receives the dumps that went into the archive; they stay on disk until the
// archive has been uploaded (see DeleteArchivedDumps).
bool CollectDumps(const std::u16string& zipPath, std::vector<TArchivedDump>* archived);

// Uploads the archive under "dumps/Orvane/1.0.0.0/<date>/<guid>.zip" and,
// once the storage server confirmed it, deletes the archived dumps. The key
// is recorded beside the archive before the upload begins (see
// dump_upload_record.h); without that record nothing is sent. False when the
// upload was not confirmed: the record and the dumps stay for the next run.
bool UploadDumps(const std::u16string& zipPath, const std::vector<TArchivedDump>& archived);

// Sends the archive of an earlier run again when its upload was begun but
// never confirmed and the archive is still the one recorded: under the same
// object key, so the storage server keeps one object for it; then deletes
// its dumps. True when nothing is left pending (also when there was nothing,
// or the record no longer fits the archive and is dropped: its dumps are
// still on disk and go into the next collection). False while it stays
// unconfirmed: the archive must not be rewritten then.
bool ResumePendingUpload(const std::u16string& zipPath);

// Deletes the dumps that are safe in an uploaded archive: only those that are
// still the same file, unchanged since they were archived. Failures are ignored.
void DeleteArchivedDumps(const std::vector<TArchivedDump>& archived);

// The object key for a GUID and the server time (local calendar date).
std::u16string BuildDumpObjectKey(const platform::Guid& guid, int64_t serverTime);
