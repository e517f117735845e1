// CUpdateJob: what the update dialog shares with its two worker threads.
//
// The dialog and each worker hold the job by shared pointer, so a worker that
// is still running when the dialog has stopped waiting for it (it is left,
// see CWorkerThread) touches only the job and its client, never the gone
// dialog.
// Threads: the offer strings are written by CheckUpdateThread before it calls
// m_onChecked and read by the dialog only after that call's message arrives;
// every other member is atomic or set before the workers start.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "installer/installer_handoff.h"
#include "server_api/update_server.h"

class CUpdateJob : public IInstallWatcher {
 public:
  // Tests derive from the job; it is destroyed through its own type.
  virtual ~CUpdateJob() = default;
  // Takes the installer's progress (total and received bytes) into m_nProgress
  // as a percent 0..100; a total of 0 changes nothing.
  void OnDownloadProgress(double total, double received) override;
  // Called on InstallThread before each block of the downloaded installer's
  // checksum pass with the bytes checked so far. A close meanwhile (m_bCancel)
  // ends the pass at the next block and nothing is started.
  void OnInstallerCheckProgress(uint64_t /*checked*/) override {}
  bool IsCancelled() const override { return m_bCancel.load(); }
  void OnHold(EUpdateHold hold) override { m_hold.store(hold); }

  // Set by the dialog on WM_DESTROY: the workers stop at their next check and
  // their transfers end (see CTransferCancelScope).
  std::atomic<bool> m_bCancel{false};
  // The download in percent, 0..100.
  std::atomic<int32_t> m_nProgress{0};
  // The dialog ends without having started the installer.
  std::atomic<bool> m_bFailed{false};
  // Whether the dialog window is shown, kept up to date by the UI thread;
  // a hidden dialog asks for the update silently.
  std::atomic<bool> m_bWindowVisible{false};
  // Set by a worker before it reports (m_onChecked) or ends.
  std::atomic<EUpdateHold> m_hold{EUpdateHold::kNone};

  // The program whose signer is our publisher; the running program when
  // empty. Set before the start.
  std::u16string m_publisherProgram;

  // The job's own client (MakeUpdateServer()), made on the first call, from
  // the process's client as it is then. The job holds it, so it lives as long
  // as the longest of the workers.
  IUpdateServer& Server();

  std::u16string m_strNewVersion;
  std::u16string m_strDownloadUrl;
  std::u16string m_strMd5Url;

  // Called on CheckUpdateThread with the query's result once the strings are
  // stored (the dialog posts WM_UPDATE_RESULT from it). Set before the start.
  std::function<void(bool ok)> m_onChecked;

 private:
  std::mutex m_serverLock;
  std::shared_ptr<IUpdateServer> m_server;
};
