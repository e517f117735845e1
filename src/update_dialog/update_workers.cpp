#include "update_dialog/update_workers.h"

#include <chrono>
#include <thread>
#include <vector>

#include "code_signing/file_version.h"
#include "common/md5.h"
#include "common/product.h"
#include "common/text.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/code_signature/code_signature.h"
#include "platform/system/codepage.h"
#include "platform/system/file_handle.h"
#include "platform/system/folder_listing.h"
#include "platform/system/known_folders.h"
#include "platform/system/path_separator.h"
#include "platform/system/process.h"
#include "server_api/server_connect.h"
#include "server_api/transfer_cancel.h"
#include "update_dialog/installer_digests.h"
#include "update_dialog/publisher_check.h"

namespace {

constexpr size_t kOfferBufferSize = 4096;
constexpr size_t kChecksumLength = 32;
constexpr uint32_t kMd5BlockSize = 1024;
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

// The blanks of the C library's iswspace in the "C" locale: the checksum is
// plain ASCII, so anything else makes it malformed anyway.
bool IsChecksumBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// MD5 of everything reader (a file handle or checked program) yields, read in
// blocks of 1024 bytes; empty when a read fails or beforeBlock(bytes read so
// far) says to stop.
template <typename Reader, typename BeforeBlock>
std::u16string Md5OfReader(Reader* reader, BeforeBlock beforeBlock) {
  CMd5 md5;
  uint8_t block[kMd5BlockSize];
  uint32_t read = 0;
  uint64_t checked = 0;
  do {
    if (!beforeBlock(checked) || !reader->Read(block, sizeof(block), &read)) return {};
    md5.Update(block, read);
    checked += read;
  } while (read > 0);
  return Utf8ToUtf16(Md5Hex(md5.Finish()));
}

// The downloaded checksum text, decoded with the ANSI code page up to its
// first zero byte.
std::u16string DownloadedChecksumText(CServerConnect* server) {
  const uint32_t size = server->GetDownloadedSize();
  std::vector<char> bytes(static_cast<size_t>(size) + 1, '\0');
  (void)server->CopyDownloaded(bytes.data(), size);
  return platform::AnsiToWide(bytes.data());
}

// Why the checked installer must not start: its checksum, and where this
// program is signed, its publisher and its version. Empty when it may.
std::string InstallerRefusal(const CUpdateJob& job, const InstallerDigests& digests, std::u16string_view checksum,
                             bool* publisherChecked) {
  *publisherChecked = false;
  if (!EqualsIgnoreAsciiCase(digests.md5, checksum)) return "checksum differs";
  const OurPublisher publisher = FindOurPublisher(
      job.m_publisherProgram.empty() ? platform::GetProgramFilePath() : job.m_publisherProgram);
  if (!publisher.checked) {
    if (IsTestMode()) WriteLog("publisher check skipped: %s", publisher.skipReason.c_str());
    return {};
  }
  *publisherChecked = true;
  if (std::string refusal = PublisherRefusal(publisher, digests); !refusal.empty()) return refusal;
  return VersionRefusal(digests, job.m_strNewVersion);
}

// Checks the installer at path against checksum, our publisher and the
// offered version, and starts the very bytes checked, unless the user closed
// the dialog before the start: a close during the pass over a large
// installer ends it at the next block.
bool StartCheckedInstaller(CUpdateJob* job, const std::u16string& path, std::u16string_view checksum) {
  platform::CCheckedProgram installer;
  if (!installer.Open(path)) {
    if (IsTestMode()) WriteLog("installer refused: installer unreadable");
    return false;
  }
  const InstallerDigests digests = ReadInstallerDigests(&installer, [job](uint64_t checked) {
    job->OnInstallerCheckProgress(checked);
    return !job->m_bCancel.load();
  });
  if (job->m_bCancel.load()) return false;
  bool publisherChecked = false;
  if (const std::string refusal = InstallerRefusal(*job, digests, checksum, &publisherChecked); !refusal.empty()) {
    if (IsTestMode()) WriteLog("installer refused: %s", refusal.c_str());
    return false;
  }
  if (publisherChecked && IsTestMode()) {
    WriteLog("installer signed by our publisher");
    // The system's policy (chain, revocation) is recorded, not obeyed: a
    // test publisher is untrusted there. It is asked only about what our own
    // checks accepted, so a hostile signature never reaches it, and only
    // where its answer is written down, as it reads the whole file again.
    WriteLog("installer trust policy: %s", platform::AskTrustPolicy(installer.File()).c_str());
  }
  return installer.StartHidden(kInstallerSwitch);
}

// The installer an earlier run started may still be running from the file
// this run would replace: a second one beside it would install twice.
bool HoldForRunningInstaller(CUpdateJob* job, const std::u16string& path) {
  if (!platform::IsProgramFileRunning(path)) return false;
  if (IsTestMode()) WriteLog("installer still running from %s: no update offered or started",
                             platform::WideToAnsi(path).c_str());
  job->m_hold.store(EUpdateHold::kInstallerRunning);
  return true;
}

// A path too long to start a program from is refused before anything is
// fetched: the download would only end in a start that cannot work.
bool HoldForLongPath(CUpdateJob* job, const std::u16string& path) {
  if (path.size() <= platform::kMaxProgramPathLength) return false;
  if (IsTestMode()) WriteLog("installer path of %u characters is too long to start: %s",
                             static_cast<unsigned>(path.size()), platform::WideToAnsi(path).c_str());
  job->m_hold.store(EUpdateHold::kInstallerPathTooLong);
  return true;
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

void RunInstall(CUpdateJob* job) {
  const std::u16string path = InstallerPath();
  if (HoldForLongPath(job, path)) return;
  CServerConnect* server = GetServerConnect();
  (void)server->DownloadToMemory(job->m_strMd5Url, nullptr);
  const std::u16string text = DownloadedChecksumText(server);
  const std::u16string_view checksum = TrimChecksumText(text);
  if (checksum.size() != kChecksumLength || job->m_bCancel.load()) return;
  // An "Update" folder that is a link may lead into a folder the user may
  // not write: an elevated run neither deletes nor writes anything there.
  if (!EnsureRealFolder(InstallerFolder())) return;
  if (HoldForRunningInstaller(job, path)) return;
  (void)platform::DeleteFileAt(path);
  if (!server->DownloadToFile(job->m_strDownloadUrl, path, job)) return;
  if (job->m_bCancel.load()) return;
  if (StartCheckedInstaller(job, path, checksum)) job->m_bFailed.store(false);
}

}  // namespace

void CheckUpdateThread(std::shared_ptr<CUpdateJob> job) {
  const CTransferCancelScope cancel(job->m_bCancel);
  if (!SleepUnlessCancelled(*job, kCheckDelay)) return;
  CServerConnect* server = GetServerConnect();
  const bool silent = !job->m_bWindowVisible.load();
  std::vector<char16_t> version(kOfferBufferSize), url(kOfferBufferSize), md5Url(kOfferBufferSize);
  const bool ok = server->QueryUpdate(version.data(), version.size(), url.data(), url.size(),
                                      md5Url.data(), md5Url.size(), silent);
  if (job->m_bCancel.load()) return;
  if (ok && version[0] != u'\0' && url[0] != u'\0' && HoldForRunningInstaller(job.get(), InstallerPath())) {
    version[0] = url[0] = md5Url[0] = u'\0';
  }
  job->m_strNewVersion = ok ? std::u16string(version.data()) : std::u16string();
  LogOfferOlderThanRunning(job->m_strNewVersion);
  job->m_strDownloadUrl = ok ? std::u16string(url.data()) : std::u16string();
  job->m_strMd5Url = ok ? std::u16string(md5Url.data()) : std::u16string();
  if (job->m_onChecked) job->m_onChecked(ok);
}

void InstallThread(std::shared_ptr<CUpdateJob> job) {
  const CTransferCancelScope cancel(job->m_bCancel);
  job->m_bFailed.store(true);
  RunInstall(job.get());
}

std::u16string GetFileMd5(const std::u16string& path) {
  platform::CFileHandle file;
  if (!file.OpenForReading(path)) return {};
  return Md5OfReader(&file, [](uint64_t) { return true; });
}

std::u16string_view TrimChecksumText(std::u16string_view text) {
  while (!text.empty() && IsChecksumBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && IsChecksumBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::u16string InstallerFolder() { return GetDataDir() + kInstallerFolder + platform::kPathSeparator; }

std::u16string InstallerPath() { return InstallerFolder() + kInstallerFile; }
