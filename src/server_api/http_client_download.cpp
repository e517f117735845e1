// Downloads into the client's buffer, and straight into files.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "server_api/http_client.h"
#include "server_api/win_http_client.h"

namespace {

namespace fs = std::filesystem;

// The progress receiver of the download in flight; one download at a time.
std::atomic<CDownLoadCallBack*> g_downloadCallback{nullptr};

void ForwardProgress(double total, double received) {
  if (CDownLoadCallBack* callback = g_downloadCallback.load()) {
    callback->OnDownloadProgress(total, received);
  }
}

// Writes a reply into a file beside the target; each attempt starts it afresh.
class CPartFileWriter : public IReplyWriter {
 public:
  explicit CPartFileWriter(fs::path path) : m_path(std::move(path)) {}
  ~CPartFileWriter() override {
    m_out.close();
    std::error_code ignored;
    fs::remove(m_path, ignored);
  }
  bool Begin(uint64_t) override {
    m_out.close();
    m_out.clear();
    m_out.open(m_path, std::ios::binary | std::ios::trunc);
    return m_out.good();
  }
  bool Write(const uint8_t* data, size_t size) override {
    m_out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return m_out.good();
  }
  // Closes the file and puts it in place of target.
  bool MoveTo(const fs::path& target) {
    m_out.close();
    if (m_out.fail()) return false;
    std::error_code error;
    fs::remove(target, error);
    fs::rename(m_path, target, error);
    return !error;
  }

 private:
  fs::path m_path;
  std::ofstream m_out;
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
  // and a failed download leaves an existing file as it was.
  std::vector<uint8_t>().swap(m_download);
  m_downloadLength = 0;
  const fs::path target(path);
  std::error_code ignored;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ignored);
  fs::path part = target;
  part += ".part";
  CPartFileWriter writer(part);
  WinHttpClient client(url, ForwardProgress);
  client.SetReplyWriter(&writer);
  return FetchInto(&client, callback) && writer.MoveTo(target);
}

uint32_t CHttpClient::GetDownloadedSize() { return m_downloadLength; }

uint32_t CHttpClient::CopyDownloaded(void* buffer, uint32_t size) {
  const uint32_t count = std::min(size, m_downloadLength);
  if (count > 0 && buffer != nullptr) std::memcpy(buffer, m_download.data(), count);
  return buffer != nullptr ? count : 0;
}
