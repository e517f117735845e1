// HttpTransport, the portable HTTP transport of the API client (the WinHTTP
// and libcurl calls live in the platform's exchange,
// platform/http/http_exchange.h): one HTTP exchange with the
// transport's own rules on top of the platform exchange: verb and URL checks,
// up to three attempts, the retry of a GET whose HTML page arrived cut off,
// reply decoding by charset, the header values the program reads, the reply
// buffer and progress calls.
// Make one object per request; nothing carries over to the next request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http/http_exchange.h"

// Progress of a reply body: (total size, bytes received so far).
using ProgressCallback = std::function<void(double total, double received)>;

inline constexpr uint32_t kErrorPathNotFound = 3;  // empty URL
inline constexpr uint32_t kErrorInvalidData = 13;  // a GET reply with "<html>" but no "</html>"

// Takes reply bodies in place of the reply buffer, so a large download goes
// straight to its destination.
class IReplyWriter {
 public:
  virtual ~IReplyWriter() = default;
  // Extra request header lines for the next attempt (a writer that already
  // holds part of the body asks for the rest).
  virtual std::vector<std::u16string> AttemptHeaders() { return {}; }
  // A reply begins (once per attempt), with its status and raw headers; the
  // writer decides whether it continues what earlier attempts wrote or starts
  // over. Returning false abandons the exchange.
  [[nodiscard]] virtual bool Begin(uint32_t status, std::u16string_view rawHeaders) = 0;
  // The next piece of the body. Returning false abandons the exchange.
  [[nodiscard]] virtual bool Write(const uint8_t* data, size_t size) = 0;
};

inline constexpr uint32_t kErrorWriteFault = 29;  // a reply writer refused the body

class HttpTransport : private platform::IHttpReplySink {
 public:
  HttpTransport() = default;
  HttpTransport(std::u16string url, ProgressCallback progress);

  // Sets every field to its initial value for a request to `url`.
  void Open(std::u16string url, ProgressCallback progress);
  // When false, https certificates are not checked; true (the default) uses
  // the system's trust store.
  void SetRequireValidCertificate(bool require) { m_requireValidCertificate = require; }
  // Replaces the extra request headers (CRLF-separated "Name: value" lines).
  void SetRequestHeaders(std::u16string headers) { m_requestHeaders = std::move(headers); }
  // Sent as a "Cookie: " header when non-empty.
  void SetRequestCookies(std::u16string cookies) { m_requestCookies = std::move(cookies); }
  // Replaces the explicit proxy ("host:port"); empty means the system's settings.
  void SetProxy(std::u16string proxy) { m_proxy = std::move(proxy); }
  // Credentials for the explicit proxy; the password is used only with a user name.
  void SetProxyCredentials(std::u16string user, std::u16string password);
  // Copies the request body; a null pointer is refused.
  [[nodiscard]] bool SetRequestBody(const void* data, size_t size);
  // Reads the request body from source instead (size bytes, sent as the
  // Content-Length), again for every attempt; source must outlive the request.
  void SetRequestBodySource(platform::IHttpBodySource* source, uint64_t size);
  // Timeouts in milliseconds (0 = no limit) for resolve, connect, send, receive.
  void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs, int32_t receiveMs);
  // Bounds beyond the timeouts: bounds.totalMs spans all attempts together;
  // the low-speed limit applies to each attempt.
  void SetTransferBounds(const platform::HttpTransferBounds& bounds) { m_bounds = bounds; }
  void SetUserAgent(std::u16string agent) { m_userAgent = std::move(agent); }
  // Fixes the charset used to decode the reply instead of the reply's own.
  void SetCharset(std::u16string charset);
  // Refuses replies larger than `bytes` (0 = no limit) as failures with error 8.
  void SetMaxReplyBytes(uint64_t bytes) { m_maxReplyBytes = bytes; }
  // Sends reply bodies to writer; the reply buffer then keeps only the text
  // before the body's first zero byte (at most kMaxReplyTextBytes), which is
  // all the reply text holds.
  void SetReplyWriter(IReplyWriter* writer) { m_writer = writer; }
  static constexpr size_t kMaxReplyTextBytes = 1 << 20;

  // Performs the exchange with "GET", "POST" or "PUT" (any case); up to three
  // attempts. True when an attempt received a whole reply, whatever its HTTP
  // status; false with GetLastErrorCode() set otherwise (3: empty URL, 87:
  // other verb, 13: cut-off HTML page, else the transport's error code).
  [[nodiscard]] bool SendRequest(std::u16string_view verb, bool disableRedirects = false);

  // The reply body decoded to UTF-16 by the reply's charset (UTF-8 or the ANSI
  // code page), up to its first zero byte.
  const std::u16string& GetReplyText();
  const std::vector<uint8_t>& GetReplyBytes() const { return m_replyBytes; }
  // Hands the reply bytes over (room for one more byte is reserved when the
  // reply had a Content-Length).
  std::vector<uint8_t> TakeReplyBytes();
  // The reply's Content-Length; 0 when it had none.
  uint64_t GetContentLength() const { return m_contentLength; }
  bool HasContentLength() const { return m_hasContentLength; }
  uint64_t GetReceivedLength() const { return m_received; }
  uint32_t GetLastErrorCode() const { return m_lastError; }
  const std::u16string& GetStatusCode() const { return m_statusCode; }
  const std::u16string& GetReplyHeaders() const { return m_replyHeaders; }
  const std::u16string& GetReplyCookies() const { return m_replyCookies; }
  const std::u16string& GetCharset() const { return m_charset; }

  // Frees the reply and the request body.
  void Close();

 private:
  bool OnReplyHeaders(uint32_t status, std::u16string_view rawHeaders) override;
  bool OnReplyData(const uint8_t* data, size_t size) override;
  platform::HttpExchangeRequest BuildExchange(std::u16string_view verb, bool disableRedirects) const;
  void ResetReply();
  [[nodiscard]] bool Attempt(platform::HttpExchangeRequest exchange);
  bool IsCutOffHtml() const;
  bool KeepReplyBytes(const uint8_t* data, size_t size);
  void ReportFinalProgress();

  bool m_requireValidCertificate = true;
  std::u16string m_url;
  std::u16string m_replyHeaders;
  std::u16string m_replyText;
  bool m_replyTextReady = false;
  std::u16string m_charset;
  std::vector<uint8_t> m_replyBytes;
  uint64_t m_received = 0;
  IReplyWriter* m_writer = nullptr;
  bool m_textComplete = false;  // with a writer: the body's first zero byte was seen
  ProgressCallback m_progress;
  uint64_t m_contentLength = 0;
  bool m_hasContentLength = false;
  std::u16string m_replyCookies;
  std::u16string m_requestCookies;
  std::vector<uint8_t> m_requestBody;
  bool m_hasRequestBody = false;
  platform::IHttpBodySource* m_bodySource = nullptr;
  uint64_t m_bodySourceSize = 0;
  std::u16string m_requestHeaders;
  std::u16string m_proxy;
  uint32_t m_lastError = 0;
  uint32_t m_sinkError = 0;
  std::u16string m_statusCode;
  // The User-Agent the API server knows the program by.
  std::u16string m_userAgent = u"WinHttpClient";
  bool m_charsetFixed = false;
  std::u16string m_proxyUser;
  std::u16string m_proxyPassword;
  platform::HttpTimeouts m_timeouts;
  uint64_t m_maxReplyBytes = 0;
  platform::HttpTransferBounds m_bounds;
};
