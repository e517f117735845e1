// The window's settings in a paint manager: the skin's window attributes,
// layered presentation, opacity and the DPI scale.
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/render/window_scale.h"

namespace SkinUI {

void CUIPaintManager::SetWindowAttributes(const TUIWindowAttributes& attributes) {
  if (attributes.layeredImage != m_window.layeredImage) m_bLayeredChanged = true;
  m_window = attributes;
  SetLayered(attributes.layered);
  Invalidate();
}

void CUIPaintManager::SetLayered(bool layered) {
  m_window.layered = layered;
  if (!m_hWndPaint || layered == m_bLayered) return;
  const platform::LONG_PTR style = platform::GetWindowLongPtr(m_hWndPaint, GWL_STYLE);
  if (style & WS_CHILD) return;
  const platform::LONG_PTR exStyle = platform::GetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE);
  if (layered) {
    platform::SetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  } else {
    m_layeredUpdate.Take();
    platform::SetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE, exStyle & ~platform::LONG_PTR{WS_EX_LAYERED});
  }
  m_bLayered = layered;
  if (m_pRoot) m_pRoot->NeedUpdate();
  Invalidate();
}

void CUIPaintManager::SetLayeredImage(std::u16string_view descriptor) {
  m_window.layeredImage = descriptor;
  m_bLayeredChanged = true;
  Invalidate();
}

void CUIPaintManager::SetOpacity(uint8_t opacity) {
  m_window.opacity = opacity;
  Invalidate();
}

int CUIPaintManager::GetMonitorDPI(platform::HWND window) {
  const platform::HMONITOR monitor = window ? platform::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                            : platform::MonitorFromPoint({1, 1}, MONITOR_DEFAULTTONEAREST);
  return static_cast<int>(platform::GetDpiForMonitor(monitor));
}

void CUIPaintManager::SetDPI(int dpi) { SetDPIScale(ScaleOfDpi(dpi)); }

void CUIPaintManager::SetDPIScale(int scale) {
  if (!m_resources.SetDPIScale(scale)) return;
  if (m_pRoot) m_pRoot->NeedUpdate();
  m_bUpdateNeeded = true;
  Invalidate();
}

}  // namespace SkinUI
