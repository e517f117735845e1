// Collecting the product's crash dumps into one archive and uploading it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"

// Appends every file under folder (which ends with a separator), sub-folders
// included, whose name ends in ".dmp" ignoring case, in the order the folder
// walk meets them.
void FindDumpFiles(const std::u16string& folder, std::vector<std::u16string>* list);

// Packs the install folder's dumps, then its "Config" and "VERSION", into a
// fresh archive at zipPath. False when there is no dump or the archive cannot
// be created (an older archive then stays untouched). *archived receives the
// dumps that went into the archive; they stay on disk until the archive has
// been uploaded (see DeleteArchivedDumps).
bool CollectDumps(const std::u16string& zipPath, std::vector<std::u16string>* archived);

// Uploads the archive under "dumps/Orvane/1.0.0.0/<date>/<guid>.zip".
bool UploadDumps(const std::u16string& zipPath);

// Deletes the dumps that are safe in an uploaded archive; failures are ignored.
void DeleteArchivedDumps(const std::vector<std::u16string>& archived);

// The object key for a GUID and the server time (local calendar date).
std::u16string BuildDumpObjectKey(const platform::Guid& guid, int64_t serverTime);
