#include "update_dialog/update_workers.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "code_signing/file_version.h"
#include "common/product.h"
#include "installer/installer_handoff.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "server_api/transfer_cancel.h"
#include "update_dialog/pinned_publisher_keys.h"

namespace {

constexpr auto kCheckDelay = std::chrono::milliseconds(1000);
constexpr auto kCancelPoll = std::chrono::milliseconds(20);

// Sleeps for delay in short steps; false when the job was cancelled meanwhile.
bool SleepUnlessCancelled(const CUpdateJob& job, std::chrono::milliseconds delay) {
  const auto end = std::chrono::steady_clock::now() + delay;
  while (!job.m_bCancel.load()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kCancelPoll, end - now));
  }
  return false;
}

// Which version is offered is the server's decision, also an older one (a
// release rolled back); the log says so.
void LogOfferOlderThanRunning(std::u16string_view offered) {
  const auto offer = code_signing::ParseVersionText(offered);
  const auto running = code_signing::ParseVersionText(product::kVersionText);
  if (IsTestMode() && offer && running && *offer < *running) {
    WriteLog("offer older than the running version: %s < %s", offer->Text().c_str(), running->Text().c_str());
  }
}

}  // namespace

void CheckUpdateThread(std::shared_ptr<CUpdateJob> job) {
  const CTransferCancelScope cancel(job->m_bCancel);
  if (!SleepUnlessCancelled(*job, kCheckDelay)) return;
  const bool silent = !job->m_bWindowVisible.load();
  std::optional<TUpdateOffer> offer = job->Server().QueryUpdate(silent);
  if (job->m_bCancel.load()) return;
  if (offer && !offer->version.empty() && !offer->installerUrl.empty() &&
      HoldForRunningInstaller(job.get(), InstallerPath())) {
    *offer = TUpdateOffer{};
  }
  const TUpdateOffer stored = offer.value_or(TUpdateOffer{});
  job->m_strNewVersion = stored.version;
  LogOfferOlderThanRunning(job->m_strNewVersion);
  job->m_strDownloadUrl = stored.installerUrl;
  job->m_strMd5Url = stored.checksumUrl;
  if (job->m_onChecked) job->m_onChecked(offer.has_value());
}

void InstallThread(std::shared_ptr<CUpdateJob> job) {
  const CTransferCancelScope cancel(job->m_bCancel);
  job->m_bFailed.store(true);
  const TInstallOrder order{job->m_strDownloadUrl, job->m_strMd5Url, job->m_strNewVersion,
                            job->m_publisherProgram, PinnedPublisherKeys};
  if (DownloadCheckAndStartInstaller(&job->Server(), order, job.get())) job->m_bFailed.store(false);
}
