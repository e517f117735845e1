#include "installer/installer_handoff.h"

#include "code_signing/file_version.h"
#include "common/text.h"
#include "installer/installer_digests.h"
#include "installer/publisher_check.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/code_signature/code_signature.h"
#include "platform/system/codepage.h"
#include "platform/system/file_handle.h"
#include "platform/system/folder_listing.h"
#include "platform/system/known_folders.h"
#include "platform/system/path_separator.h"
#include "platform/system/process.h"

namespace {

constexpr size_t kChecksumLength = 32;

// The blanks of the C library's iswspace in the "C" locale: the checksum is
// plain ASCII, so anything else makes it malformed anyway.
bool IsChecksumBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Why the checked installer must not start: its checksum, and where this
// program is signed, its publisher and its version. Empty when it may.
std::string InstallerRefusal(const TInstallOrder& order, const InstallerDigests& digests,
                             std::u16string_view checksum, bool* publisherChecked) {
  *publisherChecked = false;
  if (!EqualsIgnoreAsciiCase(digests.md5, checksum)) return "checksum differs";
  const OurPublisher publisher = FindOurPublisher(
      order.publisherProgram.empty() ? platform::GetProgramFilePath() : order.publisherProgram,
      order.pinnedKeys);
  if (!publisher.checked) {
    if (IsTestMode()) WriteLog("publisher check skipped: %s", publisher.skipReason.c_str());
    return {};
  }
  *publisherChecked = true;
  if (std::string refusal = PublisherRefusal(publisher, digests); !refusal.empty()) return refusal;
  return VersionRefusal(digests, order.offeredVersion);
}

// Checks the installer at path against checksum, our publisher and the
// offered version, and starts the very bytes checked, unless the hand-off was
// cancelled before the start: a cancel during the pass over a large
// installer ends it at the next block.
bool StartCheckedInstaller(const TInstallOrder& order, IInstallWatcher* watcher, const std::u16string& path,
                           std::u16string_view checksum) {
  platform::CCheckedProgram installer;
  if (!installer.Open(path)) {
    if (IsTestMode()) WriteLog("installer refused: installer unreadable");
    return false;
  }
  const InstallerDigests digests = ReadInstallerDigests(&installer, [watcher](uint64_t checked) {
    watcher->OnInstallerCheckProgress(checked);
    return !watcher->IsCancelled();
  });
  if (watcher->IsCancelled()) return false;
  bool publisherChecked = false;
  if (const std::string refusal = InstallerRefusal(order, digests, checksum, &publisherChecked);
      !refusal.empty()) {
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

// A path too long to start a program from is refused before anything is
// fetched: the download would only end in a start that cannot work.
bool HoldForLongPath(IInstallWatcher* watcher, const std::u16string& path) {
  if (path.size() <= platform::kMaxProgramPathLength) return false;
  if (IsTestMode())
    WriteLog("installer path of %u characters is too long to start: %s", static_cast<unsigned>(path.size()),
             platform::WideToAnsi(path).c_str());
  watcher->OnHold(EUpdateHold::kInstallerPathTooLong);
  return true;
}

}  // namespace

bool DownloadCheckAndStartInstaller(IUpdateServer* server, const TInstallOrder& order,
                                    IInstallWatcher* watcher) {
  const std::u16string path = InstallerPath();
  if (HoldForLongPath(watcher, path)) return false;
  const std::u16string text = server->FetchText(order.checksumUrl).value_or(std::u16string());
  const std::u16string_view checksum = TrimChecksumText(text);
  if (checksum.size() != kChecksumLength || watcher->IsCancelled()) return false;
  // An "Update" folder that is a link may lead into a folder the user may
  // not write: an elevated run neither deletes nor writes anything there.
  if (!EnsureRealFolder(InstallerFolder())) return false;
  if (HoldForRunningInstaller(watcher, path)) return false;
  (void)platform::DeleteFileAt(path);
  if (!server->DownloadToFile(order.installerUrl, path, watcher)) return false;
  if (watcher->IsCancelled()) return false;
  return StartCheckedInstaller(order, watcher, path, checksum);
}

bool HoldForRunningInstaller(IInstallWatcher* watcher, const std::u16string& path) {
  if (!platform::IsProgramFileRunning(path)) return false;
  if (IsTestMode())
    WriteLog("installer still running from %s: no update offered or started",
             platform::WideToAnsi(path).c_str());
  watcher->OnHold(EUpdateHold::kInstallerRunning);
  return true;
}

std::u16string_view TrimChecksumText(std::u16string_view text) {
  while (!text.empty() && IsChecksumBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && IsChecksumBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::u16string InstallerFolder() { return GetDataDir() + kInstallerFolder + platform::kPathSeparator; }

std::u16string InstallerPath() { return InstallerFolder() + kInstallerFile; }
