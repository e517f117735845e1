// POSIX backend of platform/http/http_exchange.h on libcurl.
//
// Covers: GET/POST/PUT with a body, extra headers, HTTP/1.1 only (WinHTTP's
// default), redirects (at most 10) or none, an explicit proxy with user name
// and password, the proxy environment variables as the system default,
// certificate verification against the system trust store (SSL_CERT_FILE /
// SSL_CERT_DIR name another store, as OpenSSL programs agree), connect and
// idle send/receive timeouts, the overall deadline and low-speed limit
// (checked at least once a second), bodies streamed from a source with their
// Content-Length, and error codes in WinHTTP's numbering.
// Does not cover: a resolve timeout separate from the connect timeout (the
// two are added), proxy auto-configuration scripts (no such system setting
// exists here), or the Internet Explorer proxy fallback of the Windows backend.
#include "platform/http/http_exchange.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "common/text.h"
#include "platform/http/http_pace.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// State shared with libcurl's callbacks for one exchange.
struct ExchangeState {
  IHttpReplySink* sink = nullptr;
  std::string headers;  // headers of the reply being received
  bool headersDelivered = false;
  bool sinkRefused = false;
  bool timedOut = false;
  bool cancelled = false;  // the thread's cancellation flag was seen set
  const HttpExchangeRequest* request;
  uint64_t uploaded = 0;  // bytes handed to libcurl for a PUT
  bool sourceFailed = false;
  curl_off_t lastDown = -1, lastUp = -1;
  Clock::time_point lastActivity = Clock::now();
  CURL* curl = nullptr;
  CHttpPace pace;
  bool connected = false;

  explicit ExchangeState(const HttpExchangeRequest& r) : request(&r), pace(r.bounds) {}
};

std::u16string Widen(std::string_view bytes) {
  return std::u16string(bytes.begin(), bytes.end());  // header bytes are Latin-1
}

uint32_t StatusOf(const std::string& headers) {
  // "HTTP/1.1 200 OK": the code follows the first blank.
  const size_t space = headers.find(' ');
  if (space == std::string::npos) return 0;
  return static_cast<uint32_t>(std::strtoul(headers.c_str() + space + 1, nullptr, 10));
}

bool DeliverHeaders(ExchangeState* state) {
  if (state->headersDelivered) return true;
  state->headersDelivered = true;
  if (!state->sink->OnReplyHeaders(StatusOf(state->headers), Widen(state->headers))) {
    state->sinkRefused = true;
    return false;
  }
  return true;
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<ExchangeState*>(user);
  const size_t bytes = size * count;
  // Every reply of a redirect chain starts with its own status line; only
  // the last one is shown to the sink.
  if (bytes >= 5 && std::memcmp(data, "HTTP/", 5) == 0) state->headers.clear();
  state->headers.append(data, bytes);
  return bytes;
}

size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<ExchangeState*>(user);
  const size_t bytes = size * count;
  if (IsHttpCancelRequested(*state->request)) {
    state->cancelled = true;
    return 0;
  }
  if (!DeliverHeaders(state)) return 0;
  if (!state->sink->OnReplyData(reinterpret_cast<const uint8_t*>(data), bytes)) {
    state->sinkRefused = true;
    return 0;
  }
  return bytes;
}

size_t OnUploadData(char* buffer, size_t size, size_t count, void* user) {
  auto* state = static_cast<ExchangeState*>(user);
  const HttpExchangeRequest& r = *state->request;
  const size_t bytes = static_cast<size_t>(std::min<uint64_t>(r.bodySize - state->uploaded, size * count));
  size_t read = bytes;
  if (r.bodySource != nullptr) {
    // A source shorter than its declared size would leave libcurl waiting.
    if (bytes > 0 && (!r.bodySource->Read(reinterpret_cast<uint8_t*>(buffer), bytes, &read) || read == 0)) {
      state->sourceFailed = true;
      return CURL_READFUNC_ABORT;
    }
  } else if (bytes > 0) {
    std::memcpy(buffer, r.body + state->uploaded, bytes);
  }
  state->uploaded += read;
  return read;
}

// libcurl sends the body again after a redirect or a proxy's 407.
int OnUploadSeek(void* user, curl_off_t offset, int origin) {
  auto* state = static_cast<ExchangeState*>(user);
  if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  const HttpExchangeRequest& r = *state->request;
  if (r.bodySource != nullptr && !r.bodySource->Rewind()) return CURL_SEEKFUNC_FAIL;
  state->uploaded = 0;
  return CURL_SEEKFUNC_OK;
}

// Enforces the idle send/receive limits, which libcurl has no option for.
int OnTransferProgress(void* user, curl_off_t, curl_off_t downNow, curl_off_t upTotal, curl_off_t upNow) {
  auto* state = static_cast<ExchangeState*>(user);
  if (IsHttpCancelRequested(*state->request)) {
    state->cancelled = true;
    return 1;
  }
  const auto now = Clock::now();
  curl_off_t connectTime = 0;
  curl_easy_getinfo(state->curl, CURLINFO_CONNECT_TIME_T, &connectTime);
  const uint64_t moved = static_cast<uint64_t>(downNow) + static_cast<uint64_t>(upNow);
  if (connectTime != 0 && !state->connected) {
    state->connected = true;
    state->pace.Connected(moved, now);
  }
  if (!state->pace.Check(moved, now)) {
    state->timedOut = true;
    return 1;
  }
  if (connectTime == 0 || downNow != state->lastDown || upNow != state->lastUp) {
    state->lastDown = downNow;
    state->lastUp = upNow;
    state->lastActivity = now;
    return 0;
  }
  const bool sending = upTotal > 0 && upNow < upTotal;
  const int32_t limit = sending ? state->request->timeouts.sendMs : state->request->timeouts.receiveMs;
  if (limit <= 0 || now - state->lastActivity < std::chrono::milliseconds(limit)) return 0;
  state->timedOut = true;
  return 1;
}

uint32_t MapCurlError(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return kErrorHttpOk;
    case CURLE_OUT_OF_MEMORY:
      return kErrorNotEnoughMemory;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kErrorHttpUnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
      return kErrorHttpInvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kErrorHttpNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return kErrorHttpCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kErrorHttpTimeout;
    case CURLE_TOO_MANY_REDIRECTS:
      return kErrorHttpRedirectFailed;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
      return kErrorHttpInvalidServerResponse;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return kErrorHttpSecureFailure;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
      return kErrorHttpConnectionError;
    default:
      return kErrorHttpInternal;
  }
}

class CurlHandle {
 public:
  CurlHandle() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_curl = curl_easy_init();
  }
  ~CurlHandle() {
    if (m_headers) curl_slist_free_all(m_headers);
    if (m_curl) curl_easy_cleanup(m_curl);
  }
  CURL* get() const { return m_curl; }
  void AddHeader(const std::string& line) { m_headers = curl_slist_append(m_headers, line.c_str()); }
  curl_slist* headers() const { return m_headers; }

 private:
  CURL* m_curl = nullptr;
  curl_slist* m_headers = nullptr;
};

bool HasHeader(const HttpExchangeRequest& request, std::u16string_view name) {
  for (const auto& line : request.headers) {
    if (line.size() > name.size() && line[name.size()] == u':' &&
        EqualsIgnoreAsciiCase(std::u16string_view(line).substr(0, name.size()), name)) {
      return true;
    }
  }
  return false;
}

void SetHeaders(CurlHandle* handle, const HttpExchangeRequest& request) {
  for (const auto& line : request.headers) handle->AddHeader(Utf16ToUtf8(line));
  // WinHTTP adds none of these on its own; keep the wire the same.
  handle->AddHeader("Accept:");
  handle->AddHeader("Expect:");
  if (!HasHeader(request, u"Content-Type")) handle->AddHeader("Content-Type:");
  curl_easy_setopt(handle->get(), CURLOPT_HTTPHEADER, handle->headers());
}

void SetBodyReader(CURL* curl, ExchangeState* state) {
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnUploadData);
  curl_easy_setopt(curl, CURLOPT_READDATA, state);
  curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, OnUploadSeek);
  curl_easy_setopt(curl, CURLOPT_SEEKDATA, state);
  curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
}

void SetVerb(CURL* curl, const HttpExchangeRequest& request, ExchangeState* state) {
  if (request.verb == u"POST") {
    static const char kEmpty[] = "";
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    if (request.bodySource != nullptr) {
      SetBodyReader(curl, state);
    } else {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body ? (const char*)request.body : kEmpty);
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)request.bodySize);
  } else if (request.verb == u"PUT") {
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    SetBodyReader(curl, state);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, (curl_off_t)request.bodySize);
  } else {
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  }
}

void SetProxy(CURL* curl, const HttpExchangeRequest& request, std::string* proxy, std::string* user,
              std::string* password) {
  if (request.proxy.empty()) return;  // libcurl reads the proxy variables itself
  *proxy = Utf16ToUtf8(request.proxy);
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy->c_str());
  // A named proxy has no bypass list: no_proxy must not route around it.
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
  if (request.proxyUser.empty()) return;
  *user = Utf16ToUtf8(request.proxyUser);
  *password = Utf16ToUtf8(request.proxyPassword);
  curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, user->c_str());
  curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, password->c_str());
  curl_easy_setopt(curl, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
}

void SetTls(CURL* curl, const HttpExchangeRequest& request) {
  const long verify = request.verifyCertificate ? 1L : 0L;
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, verify);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
  if (const char* file = std::getenv("SSL_CERT_FILE"); file && *file) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, file);
  }
  if (const char* dir = std::getenv("SSL_CERT_DIR"); dir && *dir) {
    curl_easy_setopt(curl, CURLOPT_CAPATH, dir);
  }
}

void SetTimeouts(CURL* curl, const HttpTimeouts& timeouts) {
  if (timeouts.connectMs > 0) {
    const long resolve = timeouts.resolveMs > 0 ? timeouts.resolveMs : 0;
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, resolve + timeouts.connectMs);
  }
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnTransferProgress);
}

}  // namespace

uint32_t PerformHttpExchange(const HttpExchangeRequest& request, IHttpReplySink* sink) {
  CurlHandle handle;
  CURL* curl = handle.get();
  if (curl == nullptr) return kErrorNotEnoughMemory;
  ExchangeState state(request);
  state.sink = sink;
  state.curl = curl;
  const std::string url = Utf16ToUtf8(request.url);
  const std::string agent = Utf16ToUtf8(request.userAgent);
  std::string proxy, user, password;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, (long)CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBodyData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
  SetHeaders(&handle, request);
  SetVerb(curl, request, &state);
  SetProxy(curl, request, &proxy, &user, &password);
  SetTls(curl, request);
  SetTimeouts(curl, request.timeouts);
  if (IsHttpCancelRequested(request)) return kErrorHttpCancelled;
  if (request.bodySource != nullptr && !request.bodySource->Rewind()) return kErrorHttpInternal;
  const CURLcode code = curl_easy_perform(curl);
  if (state.sinkRefused || state.cancelled) return kErrorHttpCancelled;
  if (state.sourceFailed) return kErrorHttpInternal;
  if (state.timedOut) return kErrorHttpTimeout;
  if (code != CURLE_OK) return MapCurlError(code);
  return DeliverHeaders(&state) ? kErrorHttpOk : kErrorHttpCancelled;
}

}  // namespace platform
