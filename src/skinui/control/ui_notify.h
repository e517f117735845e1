// What a window's paint manager tells the application, and the hooks through
// which the application sees window messages before the manager does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window/window_system.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

class CControlUI;

// One notification: a type word ("click", "windowinit", ...) and its sender.
struct TUINotify {
  std::u16string sType;
  std::u16string sVirtualWnd;  // the sender's (or nearest ancestor's) virtual window
  CControlUI* pSender = nullptr;
  uint32_t dwTimestamp = 0;  // milliseconds since system start
  TUIPoint ptMouse;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TUINotify& msg) = 0;
};

// Sees a window message before the manager. Setting handled ends the
// processing, and the returned value becomes the message's result.
class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual intptr_t MessageHandler(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, bool& bHandled) = 0;
};

class ITranslateAccelerator {
 public:
  virtual ~ITranslateAccelerator() = default;
  // 0 means the message was translated and must not be dispatched.
  virtual intptr_t TranslateAccelerator(const platform::MSG& msg) = 0;
};

}  // namespace SkinUI
