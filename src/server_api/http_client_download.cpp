// Downloads into the client's buffer and from there into a file.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/folders.h"
#include "common/log.h"
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

bool WriteNewFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::error_code ignored;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::filesystem::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return !out.fail();
}

}  // namespace

bool CHttpClient::DownloadToMemory(const std::u16string& url, CDownLoadCallBack* callback) {
  std::vector<uint8_t>().swap(m_download);
  m_downloadLength = 0;
  g_downloadCallback.store(callback);
  WinHttpClient client(url, ForwardProgress);
  const bool sent = client.SendRequest(u"GET");
  g_downloadCallback.store(nullptr);
  // A reply cut short of its Content-Length is an incomplete file, not a download.
  const bool complete = sent && (!client.HasContentLength() ||
                                 client.GetReceivedLength() == client.GetContentLength());
  if (!complete || client.GetReceivedLength() > UINT32_MAX - 1) {
    if (IsTestMode()) WriteLog("http_post_data fail : %d", static_cast<int>(client.GetLastErrorCode()));
    return false;
  }
  m_downloadLength = static_cast<uint32_t>(client.GetReceivedLength());
  m_download = client.TakeReplyBytes();
  m_download.push_back(0);  // room for it was reserved with the reply
  return true;
}

bool CHttpClient::DownloadToFile(const std::u16string& url, const std::u16string& path,
                                 CDownLoadCallBack* callback) {
  if (!DownloadToMemory(url, callback)) return false;
  return WriteNewFile(std::filesystem::path(path), m_download.data(), m_downloadLength);
}

uint32_t CHttpClient::GetDownloadedSize() { return m_downloadLength; }

uint32_t CHttpClient::CopyDownloaded(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, m_downloadLength);
  if (count > 0 && buffer != nullptr) std::memcpy(buffer, m_download.data(), count);
  return buffer != nullptr ? count : 0;
}
