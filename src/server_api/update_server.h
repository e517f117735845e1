// IUpdateServer: what an update job asks of the API server, with results as
// values and no state kept between calls. MakeUpdateServer() gives each job a
// client of its own, so a job never shares one with another thread.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "server_api/download_callback.h"

// The update query's answer. An offer stands when version and installerUrl
// are both non-empty; all three are empty when the server offers nothing.
struct TUpdateOffer {
  std::u16string version;
  std::u16string installerUrl;
  std::u16string checksumUrl;
};

// The longest text of an offer a job takes; a longer one fails the check
// (a cut URL or version would point elsewhere).
inline constexpr size_t kMaxOfferTextLength = 4095;

class IUpdateServer {
 public:
  virtual ~IUpdateServer() = default;
  // Asks whether a newer installer is on offer (silent: the dialog is not
  // shown). Nothing when the check failed.
  virtual std::optional<TUpdateOffer> QueryUpdate(bool silent) = 0;
  // The small text at url, decoded with the ANSI code page up to its first
  // zero byte; nothing when the download failed.
  virtual std::optional<std::u16string> FetchText(const std::u16string& url) = 0;
  // Downloads url into the file path (see CServerConnect::DownloadToFile).
  virtual bool DownloadToFile(const std::u16string& url, const std::u16string& path,
                              CDownLoadCallBack* callback) = 0;
};

// A client of its own for one job: a copy of the process's client as it is
// now (its identity, base URLs and clock offset), so it needs no start-up
// requests, and it lives as long as the job holds it.
std::shared_ptr<IUpdateServer> MakeUpdateServer();
