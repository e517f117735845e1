#include "manager_support.h"

#include <chrono>

#include "common/text.h"
#include "platform/window/window_messages.h"
#include "skinui/builder/skin_builder.h"

namespace skinui_test {
namespace {

constexpr char16_t kClass[] = u"ManagerTestWindow";

}  // namespace

CManagerWindow::CManagerWindow(int width, int height, int x, int y) {
  const platform::RECT bounds{x, y, x + width, y + height};
  m_hwnd = m_window.Create(kClass, 0, nullptr, u"test", WS_POPUP, 0, &bounds);
  m_manager.Init(m_hwnd);
  // Shown without activation: a hidden window is never painted.
  platform::ShowWindow(m_hwnd, SW_SHOWNA);
}

CManagerWindow::~CManagerWindow() {
  if (m_hwnd) platform::DestroyWindow(m_hwnd);
}

SkinUI::CControlUI* CManagerWindow::Attach(std::u16string_view skin) {
  SkinUI::CUISkinBuilder builder;
  SkinUI::CControlUI* root = builder.Create(skin, {}, nullptr, &m_manager);
  if (root) m_manager.AttachDialog(root);
  return root;
}

platform::LRESULT CManagerWindow::Send(platform::UINT message, platform::WPARAM wParam,
                                       platform::LPARAM lParam) {
  return platform::SendMessage(m_hwnd, message, wParam, lParam);
}

void CManagerWindow::Paint() {
  platform::InvalidateRect(m_hwnd, nullptr, false);
  platform::UpdateWindow(m_hwnd);
}

platform::LPARAM CManagerWindow::Point(int x, int y) {
  return static_cast<platform::LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                                       static_cast<uint16_t>(x));
}

bool CManagerWindow::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // A timer keeps the wait bounded even when nothing else arrives.
  constexpr platform::UINT_PTR kTick = 0x7F01;
  platform::SetTimer(m_hwnd, kTick, 10);
  while (!done() && std::chrono::steady_clock::now() < end) {
    platform::MSG msg;
    if (platform::GetMessage(&msg) <= 0) break;
    platform::TranslateMessage(&msg);
    platform::DispatchMessage(&msg);
  }
  platform::KillTimer(m_hwnd, kTick);
  return done();
}

std::vector<std::string> CNotifyLog::Items() const {
  std::vector<std::string> items;
  for (const auto& n : m_items) {
    items.push_back(Utf16ToUtf8(n.sType) + ":" +
                    (n.pSender ? Utf16ToUtf8(n.pSender->GetName()) : std::string()));
  }
  return items;
}

int CNotifyLog::Count(std::u16string_view type) const {
  int count = 0;
  for (const auto& n : m_items) count += n.sType == type;
  return count;
}

CEventLog::CEventLog(SkinUI::CControlUI* control) {
  control->OnEvent.Add([this](SkinUI::TUIEvent& e) {
    m_events.push_back(e);
    return true;
  });
}

SkinUI::TUIEvent CEventLog::Last(int type) const {
  for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
    if (it->type == type) return *it;
  }
  return {};
}

}  // namespace skinui_test
