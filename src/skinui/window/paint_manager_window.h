// CPaintManagerWindow: a native window that hands every message to one paint
// manager first; the default window procedure gets what the manager leaves.
// For a window that shows a control tree and wants nothing of its own (a
// tool's or a test's hidden canvas); a skinned application window derives
// from CSkinWndBaseImpl instead.
#pragma once

#include "skinui/manager/paint_manager.h"
#include "skinui/window/native_window.h"

class CPaintManagerWindow : public CNativeWindow {
 public:
  // manager may be null: the window then gets default processing only.
  explicit CPaintManagerWindow(SkinUI::CUIPaintManager* manager = nullptr) : m_manager(manager) {}
  // Sends the messages from now on to manager (null: to none).
  void SetPaintManager(SkinUI::CUIPaintManager* manager) { m_manager = manager; }

  platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam, platform::LRESULT& lResult,
                                      platform::DWORD mapId) override;

 private:
  SkinUI::CUIPaintManager* m_manager;
};
