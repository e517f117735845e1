// Helpers of the paint manager, skin builder and skintool tests: a window
// that hands every message to its paint manager, a log of
// notifications and one of the events a control received.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/window/paint_manager_window.h"

namespace skinui_test {

class CManagerWindow {
 public:
  // A WS_POPUP window of width x height at (x, y), shown without activation,
  // with its manager initialised.
  explicit CManagerWindow(int width = 300, int height = 200, int x = 40, int y = 30);
  ~CManagerWindow();
  CManagerWindow(const CManagerWindow&) = delete;
  CManagerWindow& operator=(const CManagerWindow&) = delete;

  SkinUI::CUIPaintManager& Manager() { return m_manager; }
  platform::HWND Hwnd() const { return m_hwnd; }
  // Builds skin (markup text or file name) with the manager and attaches it;
  // the root, or null when nothing was built.
  SkinUI::CControlUI* Attach(std::u16string_view skin);
  platform::LRESULT Send(platform::UINT message, platform::WPARAM wParam = 0, platform::LPARAM lParam = 0);
  // Sends WM_PAINT when something is to be painted.
  void Paint();
  // Client point packed as a mouse message's lParam.
  static platform::LPARAM Point(int x, int y);
  // The window's message loop until done() or timeoutMs passed; done()'s
  // last answer.
  bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);

 private:
  SkinUI::CUIPaintManager m_manager;
  CPaintManagerWindow m_window{&m_manager};
  platform::HWND m_hwnd = nullptr;
};

class CNotifyLog : public SkinUI::INotifyUI {
 public:
  void Notify(SkinUI::TUINotify& msg) override { m_items.push_back(msg); }
  // "type:name" of each notification, in order.
  std::vector<std::string> Items() const;
  int Count(std::u16string_view type) const;
  void Clear() { m_items.clear(); }

 private:
  std::vector<SkinUI::TUINotify> m_items;
};

// Records every event control receives.
class CEventLog {
 public:
  explicit CEventLog(SkinUI::CControlUI* control);
  const std::vector<SkinUI::TUIEvent>& Events() const { return m_events; }
  // The last event of that kind; type 0 when there is none.
  SkinUI::TUIEvent Last(int type) const;
  bool Has(int type) const { return Last(type).type == type; }

 private:
  std::vector<SkinUI::TUIEvent> m_events;
};

}  // namespace skinui_test
