// The timers controls start through their window. Each (control, own id)
// pair runs on a native timer of the window whose id comes from a per-window
// counter taken modulo 255; a killed timer keeps its record and native id, so
// starting it again reuses them. The paint manager owns one per window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window/window_system.h"

namespace SkinUI {

class CControlUI;

class CUIControlTimers {
 public:
  // The window new timers run on (the records of an earlier one stay).
  void SetWindow(platform::HWND hWnd) { m_hWnd = hWnd; }

  // Starts control's timer id; false without a window, when a live one with
  // this id exists, or when the window system refuses.
  bool Set(CControlUI* control, uint32_t id, uint32_t elapse);
  // Stops control's timer id (it may be started again); false when control
  // has no live one with this id.
  bool Kill(CControlUI* control, uint32_t id);
  // Stops and forgets every timer of control.
  void KillAll(CControlUI* control);
  // Stops and forgets every timer.
  void RemoveAll();
  // The live timer of the window behind a native id: its control and own id;
  // false when none.
  bool Find(uintptr_t nativeId, CControlUI*& control, uint32_t& id) const;

 private:
  struct TRecord {
    CControlUI* control = nullptr;
    uint32_t id = 0;  // the control's own id
    platform::HWND hWnd = nullptr;
    uint32_t nativeId = 0;
    bool killed = false;
  };

  bool IsNativeIdInUse(uint32_t id) const;
  // The next free native id; 0 when all 254 are taken.
  uint32_t NextNativeId();

  platform::HWND m_hWnd = nullptr;
  uint32_t m_lastNativeId = 0;
  std::vector<TRecord> m_records;
};

}  // namespace SkinUI
