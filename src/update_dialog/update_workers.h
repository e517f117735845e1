// The update dialog's two workers and the installer check they rely on.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "update_dialog/update_job.h"

// The installer's switch and its place under the product data folder.
inline constexpr char16_t kInstallerSwitch[] = u"-inst_update";
inline constexpr char16_t kInstallerFolder[] = u"Update";
inline constexpr char16_t kInstallerFile[] = u"Update.exe";

// Waits one second (less when the job is cancelled meanwhile), asks the
// server for an update (silently when the dialog is hidden), stores the
// offer's strings in the job (all empty when the query failed) and calls
// job->m_onChecked with the query's result. An offer while the installer an
// earlier run started still runs from InstallerPath() is dropped (m_hold
// says so). Nothing is called once cancelled.
void CheckUpdateThread(std::shared_ptr<CUpdateJob> job);

// Sets m_bFailed, fetches the checksum text, downloads the installer into the
// data folder's "Update" folder reporting progress to the job, checks its MD5
// and starts that very file with "-inst_update"; clears m_bFailed only once
// it started. Ends early, leaving m_bFailed set, on any failed step, when the
// "Update" folder is a link, or once the job is cancelled: nothing starts
// after a close. Fetches nothing when the installer's path is too long to
// start a program from, and neither deletes nor replaces an installer that
// still runs (m_hold says which).
void InstallThread(std::shared_ptr<CUpdateJob> job);

// The MD5 of the file's bytes as 32 uppercase hex digits; empty when the file
// cannot be opened for reading.
std::u16string GetFileMd5(const std::u16string& path);

// The checksum text's blanks removed from both ends.
std::u16string_view TrimChecksumText(std::u16string_view text);

// <data folder>Update<separator>, where the installer goes.
std::u16string InstallerFolder();
// InstallerFolder() + Update.exe.
std::u16string InstallerPath();
