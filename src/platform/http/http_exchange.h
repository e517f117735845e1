// One HTTP request/response exchange: the program's view of WinHTTP.
//
// The caller describes the whole request (verb, URL, headers, body, timeouts,
// proxy) and receives the final reply through a sink: first its status and
// raw headers, then its body piece by piece. Connection reuse, cookies and
// sessions do not survive an exchange. Results are Windows error codes in
// WinHTTP's numbering, so that callers log the same numbers on every system.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Error codes an exchange can end with (values of the Windows headers).
inline constexpr uint32_t kErrorHttpOk = 0;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;     // ERROR_NOT_ENOUGH_MEMORY
inline constexpr uint32_t kErrorInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
inline constexpr uint32_t kErrorHttpTimeout = 12002;     // ERROR_WINHTTP_TIMEOUT
inline constexpr uint32_t kErrorHttpInternal = 12004;    // ERROR_WINHTTP_INTERNAL_ERROR
inline constexpr uint32_t kErrorHttpInvalidUrl = 12005;  // ERROR_WINHTTP_INVALID_URL
inline constexpr uint32_t kErrorHttpUnrecognizedScheme = 12006;
inline constexpr uint32_t kErrorHttpNameNotResolved = 12007;
inline constexpr uint32_t kErrorHttpCancelled = 12017;  // ERROR_WINHTTP_OPERATION_CANCELLED
inline constexpr uint32_t kErrorHttpCannotConnect = 12029;
inline constexpr uint32_t kErrorHttpConnectionError = 12030;
inline constexpr uint32_t kErrorHttpInvalidServerResponse = 12152;
inline constexpr uint32_t kErrorHttpRedirectFailed = 12156;
inline constexpr uint32_t kErrorHttpSecureFailure = 12175;

// Timeouts in milliseconds; 0 means no limit. Send and receive limit the time
// the exchange may go without moving bytes in that direction.
struct HttpTimeouts {
  int32_t resolveMs = 0;
  int32_t connectMs = 60000;
  int32_t sendMs = 30000;
  int32_t receiveMs = 30000;
};

// A request body read piece by piece (a file on disk), so that a large
// upload is never held in memory.
class IHttpBodySource {
 public:
  virtual ~IHttpBodySource() = default;
  // Goes back to the first byte; called before every send of the body.
  [[nodiscard]] virtual bool Rewind() = 0;
  // Reads up to size bytes into buffer; *read is 0 at the end of the body.
  // False on a read error, which ends the exchange.
  [[nodiscard]] virtual bool Read(uint8_t* buffer, size_t size, size_t* read) = 0;
};

// Bounds on a whole exchange beyond the per-operation timeouts: a server that
// sends a byte now and then, or a peer that stops reading, must not hold the
// program. 0 turns a bound off.
struct HttpTransferBounds {
  int32_t totalMs = 0;  // from the start to the last body byte
  // Once connected, fewer than lowSpeedBytesPerSecond per second, in both
  // directions together, averaged over lowSpeedWindowMs, end the exchange.
  uint32_t lowSpeedBytesPerSecond = 0;
  int32_t lowSpeedWindowMs = 0;
};

struct HttpExchangeRequest {
  std::u16string verb;  // "GET", "POST" or "PUT", upper case
  std::u16string url;   // absolute http:// or https:// URL
  std::u16string userAgent;
  std::vector<std::u16string> headers;  // extra "Name: value" lines, sent as given
  const uint8_t* body = nullptr;        // request body; must outlive the exchange
  // Instead of body: the body's bytes come from here (bodySize of them, sent
  // as its Content-Length); must outlive the exchange.
  IHttpBodySource* bodySource = nullptr;
  uint64_t bodySize = 0;
  HttpTimeouts timeouts;
  HttpTransferBounds bounds;  // broken bounds end with kErrorHttpTimeout
  // Explicit proxy as "host:port"; empty means the system's proxy settings
  // (on Windows the WinHTTP default and the user's Internet settings, on
  // POSIX the usual http_proxy / https_proxy / no_proxy variables).
  std::u16string proxy;
  std::u16string proxyUser;  // used only with an explicit proxy
  std::u16string proxyPassword;
  bool followRedirects = true;
  bool verifyCertificate = true;  // https: refuse certificates the trust store rejects
  // Watched cancellation flag (null: none), kept alive by the caller. Once
  // another thread sets it, the exchange ends with kErrorHttpCancelled at its
  // next check: before it starts, between pieces of the body and, on POSIX,
  // also while it waits for bytes (at least once a second). Lets a worker be
  // stopped without ending its thread.
  const std::atomic<bool>* cancel = nullptr;
};

// Receives the final reply of an exchange (replies that were redirected away
// from are not shown). Both calls run on the thread of PerformHttpExchange.
class IHttpReplySink {
 public:
  virtual ~IHttpReplySink() = default;
  // Status code and raw headers (status line first, CRLF-separated), before
  // any body byte. Returning false abandons the exchange.
  virtual bool OnReplyHeaders(uint32_t status, std::u16string_view rawHeaders) = 0;
  // The next piece of the body. Returning false abandons the exchange.
  virtual bool OnReplyData(const uint8_t* data, size_t size) = 0;
};

// Sends the request and feeds the reply to the sink. Returns 0 when a whole
// reply (of any HTTP status) was received, kErrorHttpCancelled when the sink
// abandoned it, otherwise the error code of the failing step. A reply that
// ends before its declared Content-Length is a failure.
[[nodiscard]] uint32_t PerformHttpExchange(const HttpExchangeRequest& request, IHttpReplySink* sink);

// Whether the request's cancellation flag is set (the backends ask this).
inline bool IsHttpCancelRequested(const HttpExchangeRequest& request) {
  return request.cancel != nullptr && request.cancel->load();
}

}  // namespace platform
