// Downloads into the client's buffer, and straight into files.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/path_separator.h"
#include "server_api/download_part_file.h"
#include "server_api/http_client.h"
#include "server_api/win_http_client.h"

namespace {

// The progress receiver of the download in flight; one download at a time.
std::atomic<CDownLoadCallBack*> g_downloadCallback{nullptr};

void ForwardProgress(double total, double received) {
  if (CDownLoadCallBack* callback = g_downloadCallback.load()) {
    callback->OnDownloadProgress(total, received);
  }
}

// Forwards progress of the whole file: a reply that continues a part counts
// the bytes already on disk, and no report moves the fraction back (a restart
// shows nothing new until it passes what was shown).
class CWholeFileProgress {
 public:
  explicit CWholeFileProgress(const CDownloadPartFile* part) : m_part(part) {}
  void operator()(double total, double received) {
    const double offset = static_cast<double>(m_part->ReplyOffset());
    if (offset + total <= 0) return ForwardProgress(total, received);
    const double fraction = (offset + received) / (offset + total);
    if (fraction < m_shown) return;
    m_shown = fraction;
    ForwardProgress(offset + total, offset + received);
  }

 private:
  const CDownloadPartFile* m_part;
  double m_shown = 0;
};

// Sends a GET for url with the progress slot set; true for a complete reply.
bool FetchInto(WinHttpClient* client, CDownLoadCallBack* callback) {
  g_downloadCallback.store(callback);
  const bool sent = client->SendRequest(u"GET");
  g_downloadCallback.store(nullptr);
  // A reply cut short of its Content-Length is an incomplete file, not a download.
  const bool complete = sent && (!client->HasContentLength() ||
                                 client->GetReceivedLength() == client->GetContentLength());
  if (!complete || client->GetReceivedLength() > UINT32_MAX - 1) {
    if (IsTestMode()) WriteLog("http_post_data fail : %d", static_cast<int>(client->GetLastErrorCode()));
    return false;
  }
  return true;
}

}  // namespace

bool CHttpClient::DownloadToMemory(const std::u16string& url, CDownLoadCallBack* callback) {
  std::vector<uint8_t>().swap(m_download);
  m_downloadLength = 0;
  WinHttpClient client(url, ForwardProgress);
  client.SetTransferBounds(FileTransferBounds(m_limits));
  // Held whole in memory (a checksum text): a server that sends without end
  // must not exhaust it.
  client.SetMaxReplyBytes(kMaxApiReplyBytes);
  if (!FetchInto(&client, callback)) return false;
  m_downloadLength = static_cast<uint32_t>(client.GetReceivedLength());
  m_download = client.TakeReplyBytes();
  m_download.push_back(0);  // room for it was reserved with the reply
  return true;
}

bool CHttpClient::DownloadToFile(const std::u16string& url, const std::u16string& path,
                                 CDownLoadCallBack* callback) {
  // The body goes to "<path>.part" as it arrives and replaces the file only
  // when it is complete: no copy of the whole installer is held in memory,
  // a failed download leaves an existing file as it was, and what arrived
  // is continued by the next attempt or the next run.
  std::vector<uint8_t>().swap(m_download);
  m_downloadLength = 0;
  const size_t cut = path.rfind(platform::kPathSeparator);
  if (cut != std::u16string::npos && !EnsureRealFolder(path.substr(0, cut + 1))) return false;
  CDownloadPartFile part(path);
  WinHttpClient client(url, CWholeFileProgress(&part));
  client.SetReplyWriter(&part);
  client.SetTransferBounds(FileTransferBounds(m_limits));
  return FetchInto(&client, callback) && part.Complete();
}

uint32_t CHttpClient::GetDownloadedSize() { return m_downloadLength; }

uint32_t CHttpClient::CopyDownloaded(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, m_downloadLength);
  if (count > 0 && buffer != nullptr) std::memcpy(buffer, m_download.data(), count);
  return buffer != nullptr ? count : 0;
}
