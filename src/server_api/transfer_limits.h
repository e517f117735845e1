// Bounds on the client's exchanges beyond the per-operation timeouts, so that
// a server that trickles or stalls cannot hold the program (or the upload
// mutex) for long.
#pragma once

#include <cstdint>

#include "platform/http/http_exchange.h"

struct CTransferLimits {
  int32_t apiExchangeMs = 120000;          // one API request with all its attempts
  uint32_t lowSpeedBytesPerSecond = 1024;  // a download or upload slower than this...
  int32_t lowSpeedWindowMs = 60000;        // ...for this long ends the attempt
};

// The bounds of an API request (HttpPost, HttpGet).
inline platform::HttpTransferBounds ApiExchangeBounds(const CTransferLimits& limits) {
  return {limits.apiExchangeMs, 0, 0};
}

// The bounds of a download or upload: no overall limit (an installer may take
// long on a slow line), only the low-speed one.
inline platform::HttpTransferBounds FileTransferBounds(const CTransferLimits& limits) {
  return {0, limits.lowSpeedBytesPerSecond, limits.lowSpeedWindowMs};
}
