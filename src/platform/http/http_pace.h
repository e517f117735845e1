// How both HTTP backends enforce HttpTransferBounds: the overall deadline of
// an exchange and its low-speed limit, checked as bytes move and before each
// blocking wait.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "platform/http/http_exchange.h"

namespace platform {

class CHttpPace {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CHttpPace(const HttpTransferBounds& bounds, Clock::time_point start = Clock::now())
      : m_bounds(bounds), m_start(start) {}

  // The connection is up: the low-speed window starts now.
  void Connected(uint64_t movedBytes, Clock::time_point now = Clock::now()) {
    m_connected = true;
    m_windowStart = now;
    m_windowBytes = movedBytes;
  }

  // movedBytes: every byte sent and received so far. False once a bound is
  // broken: the deadline passed, or a whole window went by below the speed.
  [[nodiscard]] bool Check(uint64_t movedBytes, Clock::time_point now = Clock::now()) {
    if (m_bounds.totalMs > 0 && now - m_start >= Ms(m_bounds.totalMs)) return false;
    if (!m_connected || m_bounds.lowSpeedBytesPerSecond == 0 || m_bounds.lowSpeedWindowMs <= 0) {
      return true;
    }
    const auto elapsed = now - m_windowStart;
    if (elapsed < Ms(m_bounds.lowSpeedWindowMs)) return true;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (static_cast<double>(movedBytes - m_windowBytes) < m_bounds.lowSpeedBytesPerSecond * seconds) {
      return false;
    }
    m_windowStart = now;
    m_windowBytes = movedBytes;
    return true;
  }

  // The longest a blocking step may wait (0 = no limit) given its own
  // timeout: a wait that moves nothing for a whole window already breaks the
  // speed limit, and none may outlast the deadline.
  int32_t WaitLimitMs(int32_t timeoutMs, Clock::time_point now = Clock::now()) const {
    int64_t limit = timeoutMs > 0 ? timeoutMs : INT32_MAX;
    if (m_bounds.lowSpeedBytesPerSecond > 0 && m_bounds.lowSpeedWindowMs > 0) {
      limit = std::min<int64_t>(limit, m_bounds.lowSpeedWindowMs);
    }
    if (m_bounds.totalMs > 0) {
      const auto left = Ms(m_bounds.totalMs) - (now - m_start);
      limit = std::min<int64_t>(limit, std::max<int64_t>(1, std::chrono::ceil<Ms>(left).count()));
    }
    return limit == INT32_MAX ? 0 : static_cast<int32_t>(limit);
  }

 private:
  using Ms = std::chrono::milliseconds;

  HttpTransferBounds m_bounds;
  Clock::time_point m_start;
  bool m_connected = false;
  Clock::time_point m_windowStart;
  uint64_t m_windowBytes = 0;
};

}  // namespace platform
