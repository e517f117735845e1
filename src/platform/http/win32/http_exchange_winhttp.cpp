// Windows backend of platform/http/http_exchange.h on WinHTTP.
//
// Covers: GET/POST/PUT with a body, extra headers (merged with a semicolon),
// the system's default proxy (WinHTTP default access type), an explicit named
// proxy (given to the session, where every WinHTTP honours it) with user name
// and password (sent once the proxy answers 407 with a scheme it offers), the
// four timeouts (the receive limit also bounds the wait for the reply
// headers), redirects followed by WinHTTP or turned off, certificate checks
// (on unless the request turns them off, then unknown CA, bad date and bad
// name are ignored), and, when a send fails without an explicit proxy, the
// user's Internet Explorer proxy settings: the proxy an automatic
// configuration script names for the URL, or the fixed proxy with its bypass
// list, for one more exchange on a session opened for that proxy. Bodies come
// from memory or a source (a file), written in pieces under their declared
// length. The overall deadline and the low-speed limit are checked between
// pieces, and every blocking step waits no longer than they allow.
// Does not cover: server (as opposed to proxy) authentication.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/http/http_exchange.h"
#include "platform/http/http_pace.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

using win32::U;
using win32::W;

constexpr size_t kReadChunk = 64 * 1024;

// Closes a WinHTTP handle on scope exit.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
  ~InternetHandle() {
    if (m_handle) WinHttpCloseHandle(m_handle);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

 private:
  HINTERNET m_handle;
};

uint32_t LastError() {
  const DWORD error = GetLastError();
  // Wine reports a receive that ran out of time as the socket's error.
  if (error == WSAETIMEDOUT) return kErrorHttpTimeout;
  return error != 0 ? error : kErrorHttpInternal;
}

// Frees the strings WinHTTP allocates in proxy structures.
void FreeGlobal(LPWSTR text) {
  if (text) GlobalFree(text);
}

struct UrlParts {
  std::u16string host;
  std::u16string pathAndQuery;
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool CrackUrl(const std::u16string& url, UrlParts* parts) {
  wchar_t host[261] = {};
  wchar_t path[1301] = {};
  wchar_t extra[1301] = {};
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof(components);
  components.lpszHostName = host;
  components.dwHostNameLength = 260;
  components.lpszUrlPath = path;
  components.dwUrlPathLength = 1300;
  components.lpszExtraInfo = extra;
  components.dwExtraInfoLength = 1300;
  if (!WinHttpCrackUrl(W(url), 0, 0, &components)) return false;
  parts->host = U(host);
  parts->pathAndQuery = U(path) + U(extra);
  parts->port = components.nPort;
  parts->secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

// The proxy an exchange is sent through: the explicit one, one taken from
// the user's Internet Explorer settings, or (empty name) the system default.
struct ProxyRoute {
  std::u16string name;
  std::u16string bypass;
};

void ApplyRequestOptions(HINTERNET request, const HttpExchangeRequest& r, bool secure) {
  if (secure && !r.verifyCertificate) {
    DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
  }
  for (const auto& line : r.headers) {
    WinHttpAddRequestHeaders(request, W(line), static_cast<DWORD>(-1),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
  }
  if (!r.proxy.empty()) {
    if (!r.proxyUser.empty()) {
      WinHttpSetOption(request, WINHTTP_OPTION_PROXY_USERNAME, const_cast<LPWSTR>(W(r.proxyUser)),
                       static_cast<DWORD>(r.proxyUser.size()));
      if (!r.proxyPassword.empty()) {
        WinHttpSetOption(request, WINHTTP_OPTION_PROXY_PASSWORD, const_cast<LPWSTR>(W(r.proxyPassword)),
                         static_cast<DWORD>(r.proxyPassword.size()));
      }
    }
  }
  if (!r.followRedirects) {
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature));
  }
}

// One exchange's progress: the bounds, and the bytes moved both ways.
struct Transfer {
  const HttpExchangeRequest& r;
  CHttpPace pace;
  uint64_t moved = 0;

  explicit Transfer(const HttpExchangeRequest& request) : r(request), pace(request.bounds) {}
  // Caps the waits of the next blocking step by the bounds; false when a
  // bound is already broken.
  bool Limit(HINTERNET request) {
    if (!pace.Check(moved)) return false;
    const HttpTimeouts& t = r.timeouts;
    const int send = pace.WaitLimitMs(t.sendMs), receive = pace.WaitLimitMs(t.receiveMs);
    WinHttpSetTimeouts(request, t.resolveMs, pace.WaitLimitMs(t.connectMs), send, receive);
    // The wait for the reply headers has its own limit (90 s at first); a
    // server that stalls before answering is held to the receive limit too.
    DWORD headersMs = receive > 0 ? static_cast<DWORD>(receive) : INFINITE;
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersMs, sizeof(headersMs));
    return true;
  }
};

bool Send(HINTERNET request, const HttpExchangeRequest& r) {
  if (r.bodySize <= MAXDWORD) {
    return WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                              static_cast<DWORD>(r.bodySize), 0) != FALSE;
  }
  // A total length of 4 GiB or more does not fit the call: declare it as a header.
  const std::wstring length = L"Content-Length: " + std::to_wstring(r.bodySize);
  return WinHttpSendRequest(request, length.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0,
                            WINHTTP_IGNORE_REQUEST_TOTAL_LENGTH, 0) != FALSE;
}

// The proxy the user's Internet Explorer settings give for this URL: the one
// its automatic configuration script names, else its fixed proxy with its
// bypass list. False when they give none.
bool UserProxyFor(const HttpExchangeRequest& r, ProxyRoute* route) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return false;
  if (config.lpszAutoConfigUrl) {
    InternetHandle session(WinHttpOpen(W(r.userAgent), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    options.lpszAutoConfigUrl = config.lpszAutoConfigUrl;
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    if (session && WinHttpGetProxyForUrl(session.get(), W(r.url), &options, &info)) {
      route->name = U(info.lpszProxy);
      route->bypass = U(info.lpszProxyBypass);
      FreeGlobal(info.lpszProxy);
      FreeGlobal(info.lpszProxyBypass);
    }
  } else if (config.lpszProxy) {
    route->name = U(config.lpszProxy);
    route->bypass = U(config.lpszProxyBypass);
  }
  FreeGlobal(config.lpszAutoConfigUrl);
  FreeGlobal(config.lpszProxy);
  FreeGlobal(config.lpszProxyBypass);
  return !route->name.empty();
}

// The next piece of the body at offset sent: from memory, or read from the
// source into buffer. Null when the source fails or ends early.
const uint8_t* NextPiece(const HttpExchangeRequest& r, uint64_t sent, std::vector<uint8_t>* buffer,
                         DWORD* size) {
  *size = static_cast<DWORD>(std::min<uint64_t>(r.bodySize - sent, kReadChunk));
  if (r.bodySource == nullptr) return r.body + sent;
  size_t read = 0;
  if (!r.bodySource->Read(buffer->data(), *size, &read) || read == 0) return nullptr;
  *size = static_cast<DWORD>(read);
  return buffer->data();
}

uint32_t WriteBody(HINTERNET request, Transfer* transfer) {
  const HttpExchangeRequest& r = transfer->r;
  if (r.bodySource != nullptr && !r.bodySource->Rewind()) return kErrorHttpInternal;
  std::vector<uint8_t> buffer(r.bodySource != nullptr ? kReadChunk : 0);
  uint64_t sent = 0;
  while (sent < r.bodySize) {
    if (IsHttpCancelRequested(r)) return kErrorHttpCancelled;
    if (!transfer->Limit(request)) return kErrorHttpTimeout;
    DWORD size = 0, written = 0;
    const uint8_t* piece = NextPiece(r, sent, &buffer, &size);
    if (piece == nullptr) return kErrorHttpInternal;
    if (!WinHttpWriteData(request, piece, size, &written)) return LastError();
    if (written == 0) return kErrorHttpConnectionError;
    sent += written;
    transfer->moved += written;
  }
  return kErrorHttpOk;
}

std::u16string RawHeaders(HINTERNET request) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           buffer.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  return U(buffer.data(), size / sizeof(wchar_t));
}

DWORD NumberHeader(HINTERNET request, DWORD which, bool* present) {
  DWORD value = 0, size = sizeof(value);
  *present = WinHttpQueryHeaders(request, which | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                                 &value, &size, WINHTTP_NO_HEADER_INDEX) != FALSE;
  return value;
}

// Feeds the body to the sink; checks it against a declared length.
uint32_t ReadBody(HINTERNET request, IHttpReplySink* sink, bool bodyExpected, Transfer* transfer) {
  bool hasLength = false;
  const DWORD declared = NumberHeader(request, WINHTTP_QUERY_CONTENT_LENGTH, &hasLength);
  std::vector<uint8_t> buffer(kReadChunk);
  uint64_t received = 0;
  while (true) {
    if (IsHttpCancelRequested(transfer->r)) return kErrorHttpCancelled;
    if (!transfer->Limit(request)) return kErrorHttpTimeout;
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) return LastError();
    if (available == 0) break;
    while (available > 0) {
      DWORD read = 0;
      const DWORD want = std::min<DWORD>(available, static_cast<DWORD>(buffer.size()));
      if (!WinHttpReadData(request, buffer.data(), want, &read)) return LastError();
      if (read == 0) break;
      if (!sink->OnReplyData(buffer.data(), read)) return kErrorHttpCancelled;
      received += read;
      transfer->moved += read;
      available -= std::min(available, read);
    }
  }
  if (bodyExpected && hasLength && received < declared) return kErrorHttpConnectionError;
  return kErrorHttpOk;
}

bool IsSupportedVerb(const std::u16string& verb) {
  return verb == u"GET" || verb == u"POST" || verb == u"PUT";
}

// A per-request proxy option is not honoured by every WinHTTP (Wine ignores
// it), a session opened for the named proxy is.
HINTERNET OpenSession(const HttpExchangeRequest& r, const ProxyRoute& route) {
  if (route.name.empty()) {
    return WinHttpOpen(W(r.userAgent), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, 0);
  }
  const std::u16string name = route.name.substr(0, 259);
  return WinHttpOpen(W(r.userAgent), WINHTTP_ACCESS_TYPE_NAMED_PROXY, W(name),
                     route.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : W(route.bypass), 0);
}

// Sends the request and waits for the reply headers. *sendFailed tells a
// failure of the send itself from one after it.
uint32_t SendOnce(HINTERNET request, Transfer* transfer, bool* sendFailed) {
  *sendFailed = false;
  if (!transfer->Limit(request)) return kErrorHttpTimeout;
  *sendFailed = !Send(request, transfer->r);
  if (*sendFailed) return LastError();
  transfer->pace.Connected(transfer->moved);
  if (const uint32_t error = WriteBody(request, transfer); error != kErrorHttpOk) return error;
  if (!transfer->Limit(request)) return kErrorHttpTimeout;
  if (!WinHttpReceiveResponse(request, nullptr)) return LastError();
  return kErrorHttpOk;
}

// WinHTTP sends proxy credentials only for a scheme the proxy has offered:
// gives them for the first offered scheme after a 407. False when there is
// nothing to answer the challenge with.
bool AnswerProxyChallenge(HINTERNET request, const HttpExchangeRequest& r) {
  if (r.proxy.empty() || r.proxyUser.empty()) return false;
  DWORD supported = 0, first = 0, target = 0;
  if (!WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return false;
  if (target != WINHTTP_AUTH_TARGET_PROXY) return false;
  const DWORD scheme = (first & supported) != 0 ? first : supported & WINHTTP_AUTH_SCHEME_BASIC;
  if (scheme == 0) return false;
  return WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, W(r.proxyUser), W(r.proxyPassword),
                               nullptr) != FALSE;
}

DWORD StatusOf(HINTERNET request) {
  bool present = false;
  return NumberHeader(request, WINHTTP_QUERY_STATUS_CODE, &present);
}

// One exchange through route; *sendFailed as for SendOnce.
uint32_t Exchange(Transfer* transfer, const UrlParts& url, const ProxyRoute& route, IHttpReplySink* sink,
                  bool* sendFailed) {
  const HttpExchangeRequest& r = transfer->r;
  *sendFailed = false;
  InternetHandle session(OpenSession(r, route));
  if (!session) return LastError();
  InternetHandle connection(WinHttpConnect(session.get(), W(url.host), url.port, 0));
  if (!connection) return LastError();
  InternetHandle request(WinHttpOpenRequest(connection.get(), W(r.verb), W(url.pathAndQuery), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return LastError();
  ApplyRequestOptions(request.get(), r, url.secure);
  uint32_t error = SendOnce(request.get(), transfer, sendFailed);
  if (error == kErrorHttpOk && StatusOf(request.get()) == 407 && AnswerProxyChallenge(request.get(), r)) {
    error = SendOnce(request.get(), transfer, sendFailed);
  }
  if (error != kErrorHttpOk) return error;
  const DWORD status = StatusOf(request.get());
  if (!sink->OnReplyHeaders(status, RawHeaders(request.get()))) return kErrorHttpCancelled;
  const bool bodyExpected = status != 204 && status != 304;
  return ReadBody(request.get(), sink, bodyExpected, transfer);
}

}  // namespace

uint32_t PerformHttpExchange(const HttpExchangeRequest& r, IHttpReplySink* sink) {
  if (!IsSupportedVerb(r.verb)) return kErrorInvalidParameter;
  if (IsHttpCancelRequested(r)) return kErrorHttpCancelled;
  UrlParts url;
  if (!CrackUrl(r.url, &url)) return LastError();
  bool sendFailed = false;
  Transfer transfer(r);
  const uint32_t error = Exchange(&transfer, url, ProxyRoute{r.proxy, u""}, sink, &sendFailed);
  // A send that fails on the system's default route gets one more try
  // through the proxy of the user's Internet Explorer settings.
  ProxyRoute user;
  if (!sendFailed || !r.proxy.empty() || !UserProxyFor(r, &user)) return error;
  return Exchange(&transfer, url, user, sink, &sendFailed);
}

}  // namespace platform
