#include "skinui/window/paint_manager_window.h"

platform::BOOL CPaintManagerWindow::ProcessWindowMessage(platform::HWND, platform::UINT uMsg,
                                                         platform::WPARAM wParam, platform::LPARAM lParam,
                                                         platform::LRESULT& lResult, platform::DWORD mapId) {
  if (mapId != 0 || m_manager == nullptr) return 0;
  return m_manager->MessageHandler(uMsg, wParam, lParam, lResult) ? 1 : 0;
}
