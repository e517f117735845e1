// Windows backend of platform/http_exchange.h on WinHTTP.
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
// list, for one more exchange on a session opened for that proxy.
// Does not cover: server (as opposed to proxy) authentication.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/http_exchange.h"
#include "platform/win32/wide.h"

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

bool Send(HINTERNET request, const HttpExchangeRequest& r) {
  const DWORD total = static_cast<DWORD>(r.bodySize);
  return WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, total, 0) != FALSE;
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

bool WriteBody(HINTERNET request, const HttpExchangeRequest& r) {
  size_t sent = 0;
  while (sent < r.bodySize) {
    const DWORD piece = static_cast<DWORD>(std::min(r.bodySize - sent, kReadChunk));
    DWORD written = 0;
    if (!WinHttpWriteData(request, r.body + sent, piece, &written) || written == 0) return false;
    sent += written;
  }
  return true;
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
uint32_t ReadBody(HINTERNET request, IHttpReplySink* sink, bool bodyExpected) {
  bool hasLength = false;
  const DWORD declared = NumberHeader(request, WINHTTP_QUERY_CONTENT_LENGTH, &hasLength);
  std::vector<uint8_t> buffer(kReadChunk);
  uint64_t received = 0;
  while (true) {
    if (IsHttpCancelRequested()) return kErrorHttpCancelled;
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
      available -= std::min(available, read);
    }
  }
  if (bodyExpected && hasLength && received < declared) return kErrorHttpConnectionError;
  return kErrorHttpOk;
}

bool IsSupportedVerb(const std::u16string& verb) { return verb == u"GET" || verb == u"POST" || verb == u"PUT"; }

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

void SetTimeouts(HINTERNET session, HINTERNET request, const HttpTimeouts& t) {
  WinHttpSetTimeouts(session, t.resolveMs, t.connectMs, t.sendMs, t.receiveMs);
  // The wait for the reply headers has its own limit (90 s at first); a
  // server that stalls before answering is held to the receive limit too.
  DWORD headersMs = t.receiveMs > 0 ? static_cast<DWORD>(t.receiveMs) : INFINITE;
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersMs, sizeof(headersMs));
}

// Sends the request and waits for the reply headers. *sendFailed tells a
// failure of the send itself from one after it.
uint32_t SendOnce(HINTERNET request, const HttpExchangeRequest& r, bool* sendFailed) {
  *sendFailed = !Send(request, r);
  if (*sendFailed) return LastError();
  if (!WriteBody(request, r)) return LastError();
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
uint32_t Exchange(const HttpExchangeRequest& r, const UrlParts& url, const ProxyRoute& route,
                  IHttpReplySink* sink, bool* sendFailed) {
  *sendFailed = false;
  InternetHandle session(OpenSession(r, route));
  if (!session) return LastError();
  InternetHandle connection(WinHttpConnect(session.get(), W(url.host), url.port, 0));
  if (!connection) return LastError();
  InternetHandle request(WinHttpOpenRequest(connection.get(), W(r.verb), W(url.pathAndQuery), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return LastError();
  SetTimeouts(session.get(), request.get(), r.timeouts);
  ApplyRequestOptions(request.get(), r, url.secure);
  uint32_t error = SendOnce(request.get(), r, sendFailed);
  if (error == kErrorHttpOk && StatusOf(request.get()) == 407 && AnswerProxyChallenge(request.get(), r)) {
    error = SendOnce(request.get(), r, sendFailed);
  }
  if (error != kErrorHttpOk) return error;
  const DWORD status = StatusOf(request.get());
  if (!sink->OnReplyHeaders(status, RawHeaders(request.get()))) return kErrorHttpCancelled;
  const bool bodyExpected = status != 204 && status != 304;
  return ReadBody(request.get(), sink, bodyExpected);
}

}  // namespace

uint32_t PerformHttpExchange(const HttpExchangeRequest& r, IHttpReplySink* sink) {
  if (!IsSupportedVerb(r.verb)) return kErrorInvalidParameter;
  if (IsHttpCancelRequested()) return kErrorHttpCancelled;
  UrlParts url;
  if (!CrackUrl(r.url, &url)) return LastError();
  bool sendFailed = false;
  const uint32_t error = Exchange(r, url, ProxyRoute{r.proxy, u""}, sink, &sendFailed);
  // A send that fails on the system's default route gets one more try
  // through the proxy of the user's Internet Explorer settings.
  ProxyRoute user;
  if (!sendFailed || !r.proxy.empty() || !UserProxyFor(r, &user)) return error;
  return Exchange(r, url, user, sink, &sendFailed);
}

}  // namespace platform
