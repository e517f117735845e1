// The installer hand-off: the installer downloaded into the data folder's
// "Update" folder, checked (checksum, and where this program is signed, its
// publisher and version) and the very bytes checked started.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "code_signing/publisher_keys.h"
#include "server_api/download_callback.h"
#include "server_api/update_server.h"

// The installer's switch and its place under the product data folder.
inline constexpr char16_t kInstallerSwitch[] = u"-inst_update";
inline constexpr char16_t kInstallerFolder[] = u"Update";
inline constexpr char16_t kInstallerFile[] = u"Update.exe";

// Why the hand-off held back although nothing failed on the way, so that the
// dialog can say so instead of its generic texts.
enum class EUpdateHold {
  kNone,
  kInstallerRunning,      // the installer an earlier run started still runs
  kInstallerPathTooLong,  // no program can be started from the data folder
};

// What one hand-off is asked to fetch and check.
struct TInstallOrder {
  std::u16string installerUrl;
  std::u16string checksumUrl;
  // The installer's file version must be it where the publisher is checked.
  std::u16string offeredVersion;
  // The program whose signer is our publisher; the running program when empty.
  std::u16string publisherProgram;
  // The publisher keys pinned beside the program's own signer key; asked
  // only when the publisher is checked.
  std::function<std::vector<code_signing::PublisherKey>()> pinnedKeys;
};

// What the hand-off reports to: the download's progress (CDownLoadCallBack),
// the checksum pass, a hold; and whether it is to stop.
class IInstallWatcher : public CDownLoadCallBack {
 public:
  // True once the hand-off is to end: nothing starts after that.
  virtual bool IsCancelled() const = 0;
  // Called before each block of the downloaded installer's checksum pass
  // with the bytes checked so far.
  virtual void OnInstallerCheckProgress(uint64_t checked) = 0;
  virtual void OnHold(EUpdateHold hold) = 0;
};

// Fetches the checksum text, downloads the installer into InstallerPath()
// reporting progress to watcher, checks it and starts that very file with
// "-inst_update"; true only once it started. Ends early on any failed step,
// when the "Update" folder is a link, or once cancelled. Fetches nothing when
// the installer's path is too long to start a program from, and neither
// deletes nor replaces an installer that still runs (a hold says which).
bool DownloadCheckAndStartInstaller(IUpdateServer* server, const TInstallOrder& order,
                                    IInstallWatcher* watcher);

// True, after telling watcher (kInstallerRunning), when the installer an
// earlier run started still runs from path: a second one beside it would
// install twice.
bool HoldForRunningInstaller(IInstallWatcher* watcher, const std::u16string& path);

// The checksum text's blanks removed from both ends.
std::u16string_view TrimChecksumText(std::u16string_view text);

// <data folder>Update<separator>, where the installer goes.
std::u16string InstallerFolder();
// InstallerFolder() + Update.exe.
std::u16string InstallerPath();
