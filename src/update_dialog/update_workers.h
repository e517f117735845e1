// The update dialog's two workers: the update check and the installer
// hand-off (installer/installer_handoff.h), each run on a thread of its own
// against the job's client.
#pragma once

#include <memory>

#include "update_dialog/update_job.h"

// Waits one second (less when the job is cancelled meanwhile), asks the
// server for an update (silently when the dialog is hidden), stores the
// offer's strings in the job (all empty when the query failed) and calls
// job->m_onChecked with the query's result. An offer while the installer an
// earlier run started still runs from InstallerPath() is dropped (m_hold
// says so). Nothing is called once cancelled.
void CheckUpdateThread(std::shared_ptr<CUpdateJob> job);

// Sets m_bFailed and runs the installer hand-off of the offer the job holds
// (DownloadCheckAndStartInstaller); clears m_bFailed only once the installer
// started. Nothing starts after a close.
void InstallThread(std::shared_ptr<CUpdateJob> job);
