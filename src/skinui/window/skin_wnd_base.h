// CSkinWndBaseImpl<T>: a native window that owns a paint manager, builds its
// control tree from the skin file T::GetSkinFile() names when it is created,
// and hands every other message to the paint manager.
#pragma once

#include <string>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/control/ui_notify.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/window/native_window.h"

// The parts that do not depend on T.
class CSkinWndBase : public CNativeWindow,
                     public SkinUI::INotifyUI,
                     public SkinUI::IDialogBuilderCallback,
                     public platform::CMessageFilter {
 public:
  // Notifications of the window's controls; none are wanted here.
  void Notify(SkinUI::TUINotify&) override {}
  // The skin uses the framework's own controls only.
  SkinUI::CControlUI* CreateControl(std::u16string_view) override { return nullptr; }
  // Keyboard messages of this window go to the paint manager's accelerators
  // and pre-message handler first; TRUE when one of them took the message.
  platform::BOOL PreTranslateMessage(platform::MSG* msg) override;

  SkinUI::CUIPaintManager m_pm;

 protected:
  // WM_CREATE: builds skinFile into the paint manager; false (the window is
  // not created) when no control tree results.
  bool BuildSkin(platform::HWND hWnd, const std::u16string& skinFile);
  // The message routing described at CSkinWndBaseImpl.
  platform::BOOL RouteToPaintManager(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                     platform::LPARAM lParam, platform::LRESULT& lResult);
  // Centres the window on the work area of its nearest monitor.
  void CenterOnWorkArea();
  // WM_DPICHANGED: the skin is drawn at the new DPI (an insane one is 96's),
  // or at the largest scale step at which the window fits the work area
  // there, and the window takes the skin's size at that scale, centred on
  // the suggested rectangle (at a smaller step: kept inside the work area).
  void OnDpiChanged(platform::UINT dpi, const platform::RECT& suggested);
};

template <class T>
class CSkinWndBaseImpl : public CSkinWndBase {
 public:
  platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam, platform::LRESULT& lResult,
                                      platform::DWORD mapId) override {
    if (mapId != 0) return 0;
    if (uMsg == WM_CREATE && !BuildSkin(hWnd, static_cast<T*>(this)->GetSkinFile())) {
      lResult = -1;
      return 1;
    }
    if (uMsg == WM_DPICHANGED) {
      OnDpiChanged(static_cast<platform::UINT>(platform::LoWord(wParam)),
                   *reinterpret_cast<const platform::RECT*>(lParam));
      lResult = 0;
      return 1;
    }
    return RouteToPaintManager(hWnd, uMsg, wParam, lParam, lResult);
  }
};
