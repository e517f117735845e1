// JSON requests to the API server and the PUT of a file to storage.
#include <cstdint>
#include <string>

#include "common/text.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "server_api/api_base.h"
#include "server_api/file_body_source.h"
#include "server_api/http_client.h"
#include "server_api/http_transport.h"

namespace {

constexpr char16_t kFormContentType[] = u"Content-Type: application/x-www-form-urlencoded; charset=utf-8";

bool IsSuccessStatus(const std::u16string& status) { return status.size() == 3 && status[0] == u'2'; }

}  // namespace

bool CHttpClient::SendJsonRequest(std::u16string_view verb, const std::u16string& url,
                                  const std::u16string* body, JsonPtr* document) {
  document->reset();
  const bool testMode = IsTestMode();
  HttpTransport client(url, {});
  client.SetMaxReplyBytes(kMaxApiReplyBytes);
  client.SetTransferBounds(ApiExchangeBounds(m_limits));
  if (body != nullptr) {
    const std::string utf8 = Utf16ToUtf8(*body);
    client.SetRequestHeaders(kFormContentType);
    (void)client.SetRequestBody(utf8.data(), utf8.size());  // a string's data is never null
  }
  if (testMode) client.SetProxy(TestModeProxy());
  const bool sent = client.SendRequest(verb);
  const std::u16string text = sent ? client.GetReplyText() : std::u16string();
  if (text.empty()) {
    if (testMode) WriteLog("http_post_data fail : %d", static_cast<int>(client.GetLastErrorCode()));
    return false;
  }
  *document = ParseJson(Utf16ToUtf8(text));
  return *document != nullptr;
}

bool CHttpClient::HttpPost(const std::u16string& url, const std::u16string& body, JsonPtr* document) {
  return SendJsonRequest(u"POST", url, &body, document);
}

bool CHttpClient::HttpGet(const std::u16string& url, JsonPtr* document) {
  return SendJsonRequest(u"GET", url, nullptr, document);
}

bool CHttpClient::PostSigned(std::u16string_view path, CParamMap params, JsonPtr* reply) {
  const std::u16string url = m_signedBase + u"?r=" + std::u16string(path);
  const std::u16string body = BuildSignedBody(params, u"r", path);
  return HttpPost(url, body, reply) && IsAccepted(reply->get());
}

bool CHttpClient::GetUnsigned(std::u16string_view path, CParamMap params, JsonPtr* reply) {
  const std::u16string query = BuildQueryString(params);
  const std::u16string url = m_queryBase + u"?r=" + std::u16string(path) + u"&" + query;
  return HttpGet(url, reply) && IsAccepted(reply->get());
}

bool CHttpClient::HttpPutFile(const std::u16string& url, const std::u16string& path) {
  // The body is read from the file as it is sent: an archive of any size
  // costs no more memory than a small one.
  CFileBodySource body;
  if (!body.Open(path) || body.Size() == 0) return false;
  HttpTransport client(url, {});
  client.SetTimeouts(1000, 60000, 3600000, 3600000);
  client.SetMaxReplyBytes(kMaxApiReplyBytes);
  // The long timeouts let a large archive take its time; a stalled storage
  // server is given up on by the low-speed limit instead.
  client.SetTransferBounds(FileTransferBounds(m_limits));
  client.SetRequestBodySource(&body, body.Size());
  // A refused upload is not an upload: only a 2xx answer counts.
  return client.SendRequest(u"PUT") && IsSuccessStatus(client.GetStatusCode());
}
