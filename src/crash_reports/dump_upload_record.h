// The record of a dump archive whose upload has begun and is not yet
// confirmed, kept beside the archive ("Dumps.zip.pending"). A run ended
// between the storage server's store and its reply leaves it behind, and the
// next run sends the very same archive under the very same object key, so a
// dump set is stored once, whatever the date or the dumps are by then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash_reports/dump_upload.h"

// The archive's fingerprint: its size and the MD5 of its bytes.
struct TArchiveFingerprint {
  uint64_t size = 0;
  std::string md5;  // 32 uppercase hex digits
  bool operator==(const TArchiveFingerprint&) const = default;
};

struct TPendingUpload {
  std::u16string objectKey;
  TArchiveFingerprint archive;
  std::vector<TArchivedDump> dumps;  // what went into the archive, as it was then
};

// The record's path for the archive at zipPath.
std::u16string PendingUploadPath(const std::u16string& zipPath);

// Reads the archive itself (a link is not followed). False when it cannot.
bool FingerprintArchive(const std::u16string& zipPath, TArchiveFingerprint* fingerprint);

// Writes the record whole or not at all: a temporary file, flushed to the
// disk, then renamed over the record. False when it could not be written.
bool WritePendingUpload(const std::u16string& path, const TPendingUpload& pending);

// False when there is no record, or it is not one this program wrote: too
// long, malformed, or naming an object key that is not a dump archive's.
bool ReadPendingUpload(const std::u16string& path, TPendingUpload* pending);

// Whether key has the shape of a dump archive's object key.
bool IsDumpObjectKey(const std::u16string& key);
