// CNativeWindow: one native top-level window bound to one object. Every
// message of the window reaches the object's ProcessWindowMessage (message
// map 0); what it leaves unhandled goes to the default window procedure.
#pragma once

#include <string>
#include <string_view>

#include "platform/window/window_system.h"

class CNativeWindow {
 public:
  CNativeWindow() = default;
  virtual ~CNativeWindow();
  CNativeWindow(const CNativeWindow&) = delete;
  CNativeWindow& operator=(const CNativeWindow&) = delete;

  // Handles message for map mapId; TRUE when handled, with result set.
  virtual platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg,
                                              platform::WPARAM wParam, platform::LPARAM lParam,
                                              platform::LRESULT& lResult, platform::DWORD mapId) = 0;
  // The procedure every window of this kind shares.
  static platform::WNDPROC GetWindowProc() { return &WindowProc; }
  // Runs after the window's last message (WM_NCDESTROY); the handle is null then.
  virtual void OnFinalMessage(platform::HWND) {}

  // Registers className (once per process; an existing class is reused)
  // and creates the window with this object behind it, at bounds (screen
  // coordinates) or, without, where the window system places it. Null on
  // failure.
  platform::HWND Create(std::u16string_view className, platform::UINT classStyle, platform::HWND owner,
                        std::u16string_view title, platform::DWORD style, platform::DWORD exStyle,
                        const platform::RECT* bounds = nullptr);

  platform::HWND m_hWnd = nullptr;

 protected:
  // The message being handled, for handlers that want its time or point.
  const platform::MSG* GetCurrentMessage() const { return &m_currentMessage; }

 private:
  static platform::LRESULT WindowProc(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam);
  platform::MSG m_currentMessage;
};
