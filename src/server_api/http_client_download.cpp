// Downloads into the client's buffer, and straight into files.
#include <algorithm>
#include <cstring>

#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/system/codepage.h"
#include "platform/system/file_handle.h"
#include "platform/system/path_separator.h"
#include "server_api/download_part_file.h"
#include "server_api/http_client.h"
#include "server_api/http_transport.h"

namespace {

// Progress of the reply, handed to callback (none when it is null).
ProgressCallback ReplyProgress(CDownLoadCallBack* callback) {
  if (callback == nullptr) return {};
  return [callback](double total, double received) { callback->OnDownloadProgress(total, received); };
}

// Forwards progress of the whole file: a reply that continues a part counts
// the bytes already on disk, and no report moves the fraction back (a restart
// shows nothing new until it passes what was shown).
class CWholeFileProgress {
 public:
  CWholeFileProgress(const CDownloadPartFile* part, CDownLoadCallBack* callback)
      : m_part(part), m_callback(callback) {}
  void operator()(double total, double received) {
    if (m_callback == nullptr) return;
    const double offset = static_cast<double>(m_part->ReplyOffset());
    if (offset + total <= 0) return m_callback->OnDownloadProgress(total, received);
    const double fraction = (offset + received) / (offset + total);
    if (fraction < m_shown) return;
    m_shown = fraction;
    m_callback->OnDownloadProgress(offset + total, offset + received);
  }

 private:
  const CDownloadPartFile* m_part;
  CDownLoadCallBack* m_callback;
  double m_shown = 0;
};

// Sends the client's GET; true for a complete reply.
bool Fetch(HttpTransport* client) {
  const bool sent = client->SendRequest(u"GET");
  // A reply cut short of its Content-Length is an incomplete file, not a download.
  const bool complete =
      sent && (!client->HasContentLength() || client->GetReceivedLength() == client->GetContentLength());
  if (!complete || client->GetReceivedLength() > UINT32_MAX - 1) {
    if (IsTestMode()) WriteLog("http_post_data fail : %d", static_cast<int>(client->GetLastErrorCode()));
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> CHttpClient::DownloadBytes(const std::u16string& url,
                                                               CDownLoadCallBack* callback) {
  HttpTransport client(url, ReplyProgress(callback));
  client.SetTransferBounds(FileTransferBounds(m_limits));
  // Held whole in memory (a checksum text): a server that sends without end
  // must not exhaust it.
  client.SetMaxReplyBytes(kMaxApiReplyBytes);
  if (!Fetch(&client)) return std::nullopt;
  return client.TakeReplyBytes();
}

bool CHttpClient::DownloadToMemory(const std::u16string& url, CDownLoadCallBack* callback) {
  std::vector<uint8_t>().swap(m_download);
  m_downloadLength = 0;
  std::optional<std::vector<uint8_t>> bytes = DownloadBytes(url, callback);
  if (!bytes) return false;
  m_downloadLength = static_cast<uint32_t>(bytes->size());
  m_download = std::move(*bytes);
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
  platform::ForgetWriteFailures();
  CDownloadPartFile part(path);
  HttpTransport client(url, CWholeFileProgress(&part, callback));
  client.SetReplyWriter(&part);
  client.SetTransferBounds(FileTransferBounds(m_limits));
  if (Fetch(&client) && part.Complete()) return true;
  // The transport sees only a refused write; the file calls know why.
  if (IsTestMode() && platform::WriteLackedRoom()) {
    WriteLog("download failed: disk full (%s)", platform::WideToAnsi(path).c_str());
  }
  return false;
}

uint32_t CHttpClient::GetDownloadedSize() { return m_downloadLength; }

uint32_t CHttpClient::CopyDownloaded(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, m_downloadLength);
  if (count > 0 && buffer != nullptr) std::memcpy(buffer, m_download.data(), count);
  return buffer != nullptr ? count : 0;
}
