#include "server_api/http_transport.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "common/text.h"
#include "platform/system/codepage.h"
#include "server_api/reply_headers.h"
#include "server_api/transfer_cancel.h"

namespace {

constexpr int kAttempts = 3;
constexpr size_t kInitialReplyBuffer = 10240;

std::u16string ToUpperAscii(std::u16string_view text) {
  std::u16string upper(text);
  for (auto& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return upper;
}

bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

}  // namespace

HttpTransport::HttpTransport(std::u16string url, ProgressCallback progress) {
  Open(std::move(url), std::move(progress));
}

void HttpTransport::Open(std::u16string url, ProgressCallback progress) {
  *this = HttpTransport();
  m_url = std::move(url);
  m_progress = std::move(progress);
}

void HttpTransport::SetProxyCredentials(std::u16string user, std::u16string password) {
  m_proxyUser = std::move(user);
  m_proxyPassword = std::move(password);
}

bool HttpTransport::SetRequestBody(const void* data, size_t size) {
  if (data == nullptr) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  m_requestBody.assign(bytes, bytes + size);
  m_hasRequestBody = true;
  return true;
}

void HttpTransport::SetRequestBodySource(platform::IHttpBodySource* source, uint64_t size) {
  m_bodySource = source;
  m_bodySourceSize = size;
}

void HttpTransport::SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs, int32_t receiveMs) {
  m_timeouts = {resolveMs, connectMs, sendMs, receiveMs};
}

void HttpTransport::SetCharset(std::u16string charset) {
  m_charset = std::move(charset);
  m_charsetFixed = true;
}

platform::HttpExchangeRequest HttpTransport::BuildExchange(std::u16string_view verb,
                                                           bool disableRedirects) const {
  platform::HttpExchangeRequest exchange;
  exchange.verb = ToUpperAscii(verb);
  exchange.url = m_url;
  exchange.userAgent = m_userAgent;
  exchange.headers = MergeHeaderLines(m_requestHeaders);
  if (!m_requestCookies.empty()) exchange.headers.push_back(u"Cookie: " + m_requestCookies);
  if (m_bodySource != nullptr) {
    exchange.bodySource = m_bodySource;
    exchange.bodySize = m_bodySourceSize;
  } else if (m_hasRequestBody) {
    exchange.body = m_requestBody.data();
    exchange.bodySize = m_requestBody.size();
  }
  exchange.timeouts = m_timeouts;
  exchange.bounds = m_bounds;
  exchange.proxy = m_proxy;
  if (!m_proxy.empty()) {
    exchange.proxyUser = m_proxyUser;
    if (!m_proxyUser.empty()) exchange.proxyPassword = m_proxyPassword;
  }
  exchange.followRedirects = !disableRedirects;
  exchange.verifyCertificate = m_requireValidCertificate;
  exchange.cancel = CTransferCancelScope::CurrentFlag();
  return exchange;
}

bool HttpTransport::SendRequest(std::u16string_view verb, bool disableRedirects) {
  if (m_url.empty()) {
    m_lastError = kErrorPathNotFound;
    return false;
  }
  const std::u16string upper = ToUpperAscii(verb);
  if (upper != u"GET" && upper != u"POST" && upper != u"PUT") {
    m_lastError = platform::kErrorInvalidParameter;
    return false;
  }
  platform::HttpExchangeRequest exchange = BuildExchange(upper, disableRedirects);
  const bool checkHtml = upper == u"GET" && !disableRedirects;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(m_bounds.totalMs);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (m_bounds.totalMs > 0) {
      // The overall bound covers every attempt: each gets what is left of it.
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        m_lastError = platform::kErrorHttpTimeout;
        break;
      }
      exchange.bounds.totalMs = static_cast<int32_t>(left);
    }
    if (!Attempt(exchange)) continue;
    // A proxy or gateway that cuts a page short sends "<html>" without its end.
    if (checkHtml && IsCutOffHtml()) {
      m_lastError = kErrorInvalidData;
      continue;
    }
    return true;
  }
  return false;
}

bool HttpTransport::Attempt(platform::HttpExchangeRequest exchange) {
  ResetReply();
  if (m_writer != nullptr) {
    for (auto& line : m_writer->AttemptHeaders()) exchange.headers.push_back(std::move(line));
  }
  const uint32_t error = platform::PerformHttpExchange(exchange, this);
  if (error != platform::kErrorHttpOk) {
    m_lastError = m_sinkError != 0 ? m_sinkError : error;
    return false;
  }
  ReportFinalProgress();
  return true;
}

void HttpTransport::ResetReply() {
  m_replyHeaders.clear();
  m_replyText.clear();
  m_replyTextReady = false;
  if (!m_charsetFixed) m_charset.clear();
  std::vector<uint8_t>().swap(m_replyBytes);
  m_received = 0;
  m_textComplete = false;
  m_contentLength = 0;
  m_hasContentLength = false;
  m_replyCookies.clear();
  m_statusCode.clear();
  m_sinkError = 0;
}

bool HttpTransport::OnReplyHeaders(uint32_t status, std::u16string_view rawHeaders) {
  m_replyHeaders = std::u16string(rawHeaders);
  if (!m_charsetFixed) m_charset = FindCharset(rawHeaders);
  const auto length = FindContentLength(rawHeaders);
  m_hasContentLength = length.has_value();
  m_contentLength = length.value_or(0);
  m_replyCookies = JoinSetCookies(rawHeaders);
  m_statusCode = ToU16(status);
  if (m_maxReplyBytes != 0 && m_contentLength > m_maxReplyBytes) {
    m_sinkError = platform::kErrorNotEnoughMemory;
    return false;
  }
  if (m_writer != nullptr && !m_writer->Begin(status, rawHeaders)) {
    m_sinkError = kErrorWriteFault;
    return false;
  }
  try {
    // Sized from Content-Length when known, so a large reply is never copied.
    const bool whole = m_writer == nullptr && m_hasContentLength;
    m_replyBytes.reserve(whole ? m_contentLength + 1 : kInitialReplyBuffer);
  } catch (const std::exception&) {
    m_sinkError = platform::kErrorNotEnoughMemory;
    return false;
  }
  return true;
}

bool HttpTransport::OnReplyData(const uint8_t* data, size_t size) {
  const uint64_t received = m_received;
  if (m_maxReplyBytes != 0 && received + size > m_maxReplyBytes) {
    m_sinkError = platform::kErrorNotEnoughMemory;
    return false;
  }
  if (m_progress && m_contentLength != 0) {
    m_progress(static_cast<double>(m_contentLength), static_cast<double>(received));
  }
  m_received += size;
  if (m_writer != nullptr && !m_writer->Write(data, size)) {
    m_sinkError = kErrorWriteFault;
    return false;
  }
  return KeepReplyBytes(data, size);
}

bool HttpTransport::KeepReplyBytes(const uint8_t* data, size_t size) {
  if (m_writer != nullptr) {
    if (m_textComplete) return true;
    const auto* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    m_textComplete = nul != nullptr || m_replyBytes.size() + size >= kMaxReplyTextBytes;
    size = std::min<size_t>(nul ? nul - data : size, kMaxReplyTextBytes - m_replyBytes.size());
  }
  try {
    m_replyBytes.insert(m_replyBytes.end(), data, data + size);
  } catch (const std::exception&) {
    m_sinkError = platform::kErrorNotEnoughMemory;
    return false;
  }
  return true;
}

void HttpTransport::ReportFinalProgress() {
  if (!m_progress) return;
  const double received = static_cast<double>(m_received);
  // Without a length the total is what arrived, so a finished reply reads 100 %.
  m_progress(m_contentLength != 0 ? static_cast<double>(m_contentLength) : received, received);
}

bool HttpTransport::IsCutOffHtml() const {
  const auto* begin = reinterpret_cast<const char*>(m_replyBytes.data());
  const std::string_view bytes(begin, m_replyBytes.size());
  const std::string_view text = bytes.substr(0, bytes.find('\0'));  // what the text holds
  return Contains(text, "<html>") && !Contains(text, "</html>");
}

const std::u16string& HttpTransport::GetReplyText() {
  if (m_replyTextReady) return m_replyText;
  m_replyTextReady = true;
  const auto* begin = reinterpret_cast<const char*>(m_replyBytes.data());
  std::string_view bytes(begin, m_replyBytes.size());
  bytes = bytes.substr(0, bytes.find('\0'));
  if (m_charset.size() >= 5 && EqualsIgnoreAsciiCase(std::u16string_view(m_charset).substr(0, 5), u"utf-8")) {
    m_replyText = Utf8ToUtf16(bytes);
  } else {
    m_replyText = platform::AnsiToWide(bytes);
  }
  if (m_replyText.empty()) m_replyText = platform::AnsiToWide(bytes);
  return m_replyText;
}

std::vector<uint8_t> HttpTransport::TakeReplyBytes() {
  std::vector<uint8_t> bytes;
  bytes.swap(m_replyBytes);
  m_received = 0;
  m_replyText.clear();
  m_replyTextReady = false;
  return bytes;
}

void HttpTransport::Close() {
  std::vector<uint8_t>().swap(m_replyBytes);
  m_received = 0;
  std::vector<uint8_t>().swap(m_requestBody);
  m_hasRequestBody = false;
  m_bodySource = nullptr;
  m_replyText.clear();
  m_replyTextReady = false;
}
