// Control timers on the native timers of one window.
#include "skinui/manager/control_timers.h"

namespace SkinUI {

bool CUIControlTimers::IsNativeIdInUse(uint32_t id) const {
  for (const TRecord& t : m_records) {
    if (t.hWnd == m_hWnd && t.nativeId == id) return true;
  }
  return false;
}

uint32_t CUIControlTimers::NextNativeId() {
  // 0 is no timer id to the window system, and an id still held by a record
  // (live, or killed and waiting to restart) would merge two timers: both
  // are passed over.
  for (int tries = 0; tries < 255; ++tries) {
    m_lastNativeId = (m_lastNativeId + 1) % 0xFF;
    if (m_lastNativeId != 0 && !IsNativeIdInUse(m_lastNativeId)) return m_lastNativeId;
  }
  return 0;
}

bool CUIControlTimers::Set(CControlUI* control, uint32_t id, uint32_t elapse) {
  if (!control || !m_hWnd) return false;
  for (TRecord& t : m_records) {
    if (t.control != control || t.hWnd != m_hWnd || t.id != id) continue;
    if (!t.killed) return false;
    if (platform::SetTimer(m_hWnd, t.nativeId, elapse) == 0) return false;
    t.killed = false;
    return true;
  }
  uint32_t native = NextNativeId();
  if (native == 0 || platform::SetTimer(m_hWnd, native, elapse) == 0) return false;
  m_records.push_back({control, id, m_hWnd, native, false});
  return true;
}

bool CUIControlTimers::Kill(CControlUI* control, uint32_t id) {
  for (TRecord& t : m_records) {
    if (t.control != control || t.hWnd != m_hWnd || t.id != id || t.killed) continue;
    if (platform::IsWindow(m_hWnd)) platform::KillTimer(t.hWnd, t.nativeId);
    t.killed = true;
    return true;
  }
  return false;
}

void CUIControlTimers::KillAll(CControlUI* control) {
  std::erase_if(m_records, [&](const TRecord& t) {
    if (t.control != control) return false;
    if (!t.killed && platform::IsWindow(t.hWnd)) platform::KillTimer(t.hWnd, t.nativeId);
    return true;
  });
}

void CUIControlTimers::RemoveAll() {
  for (const TRecord& t : m_records) {
    if (!t.killed && platform::IsWindow(t.hWnd)) platform::KillTimer(t.hWnd, t.nativeId);
  }
  m_records.clear();
}

bool CUIControlTimers::Find(uintptr_t nativeId, CControlUI*& control, uint32_t& id) const {
  for (const TRecord& t : m_records) {
    if (t.hWnd != m_hWnd || t.nativeId != nativeId || t.killed) continue;
    control = t.control;
    id = t.id;
    return true;
  }
  return false;
}

}  // namespace SkinUI
