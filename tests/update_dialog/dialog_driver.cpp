#include "dialog_driver.h"

#include <thread>

#include "platform/window/window_messages.h"
#include "platform/window/window_test_driver.h"
#include "skinui/control/control.h"
#include "skinui/layout/tab_layout.h"

using namespace platform;

namespace {

// Notes when the window gets WM_DESTROY; consumes nothing.
class CDestroyWatch : public SkinUI::IMessageFilterUI {
 public:
  explicit CDestroyWatch(uint32_t* tick) : m_tick(tick) {}
  intptr_t MessageHandler(uint32_t uMsg, uintptr_t, intptr_t, bool&) override {
    if (uMsg == WM_DESTROY) *m_tick = GetTickCount();
    return 0;
  }

 private:
  uint32_t* m_tick;
};

}  // namespace

CDialogDriver::CDialogDriver() : m_dialog(std::make_unique<CMainDlg>()) {}

CDialogDriver::~CDialogDriver() {
  if (!m_closed && m_dialog->m_hWnd != nullptr) {
    DestroyWindow(m_dialog->m_hWnd);
    PumpFor(std::chrono::milliseconds(0));
  }
  m_dialog.reset();
  if (m_loopAdded) RemoveMessageLoop();
}

bool CDialogDriver::Open(bool show) {
  m_loopAdded = AddMessageLoop(&m_loop);
  if (!m_loopAdded || m_dialog->CreateDialogWindow(kTestDialogClass, DialogTitle()) == nullptr) return false;
  m_destroyWatch = std::make_unique<CDestroyWatch>(&m_destroyTick);
  m_dialog->m_pm.AddMessageFilter(m_destroyWatch.get());
  m_dialog->Place(show);
  // A shown dialog is laid out by its first paint; clicks need the layout.
  const SkinUI::CControlUI* root = m_dialog->m_pm.GetRoot();
  return !show ||
         PumpUntil([root] { return root != nullptr && root->GetPos().Width() > 0; }, std::chrono::seconds(5));
}

void CDialogDriver::DispatchReady() {
  MSG msg;
  while (!m_closed && PeekMessage(&msg, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      m_closed = true;
      m_quitTick = GetTickCount();
      break;
    }
    // The loop's filters (the dialog's PreTranslateMessage) come first, as in Run.
    if (m_dialog->PreTranslateMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  if (!m_closed) m_dialog->OnIdle();
}

bool CDialogDriver::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (true) {
    DispatchReady();
    if (done()) return true;
    if (m_closed || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool CDialogDriver::WaitForClose(std::chrono::milliseconds timeout) {
  return PumpUntil([this] { return m_closed; }, timeout) || m_closed;
}

void CDialogDriver::PumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  do {
    DispatchReady();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (!m_closed && std::chrono::steady_clock::now() < end);
}

bool CDialogDriver::Click(std::u16string_view name) {
  SkinUI::CControlUI* control = Find(name);
  if (control == nullptr || !control->IsVisible()) return false;
  const SkinUI::TUIRect& rc = control->GetPos();
  POINT point{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(m_dialog->m_hWnd, &point);
  const bool sent = testing::MoveMouse(point) && testing::MouseButton(VK_LBUTTON, true) &&
                    testing::MouseButton(VK_LBUTTON, false);
  testing::FlushInput();
  PumpFor(std::chrono::milliseconds(30));
  return sent;
}

bool CDialogDriver::Press(std::initializer_list<int> keys) {
  bool sent = true;
  for (const int key : keys) sent = testing::Key(key, true) && sent;
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) sent = testing::Key(*it, false) && sent;
  testing::FlushInput();
  PumpFor(std::chrono::milliseconds(30));
  return sent;
}

std::u16string CDialogDriver::FocusName() const {
  const SkinUI::CControlUI* focus = m_closed ? nullptr : m_dialog->m_pm.GetFocus();
  return focus != nullptr ? focus->GetName() : std::u16string();
}

SkinUI::CControlUI* CDialogDriver::Find(std::u16string_view name) const {
  return m_closed ? nullptr : m_dialog->m_pm.FindControl(name);
}

std::u16string CDialogDriver::TextOf(std::u16string_view name) const {
  const SkinUI::CControlUI* control = Find(name);
  return control != nullptr ? control->GetText() : u"<missing>";
}

bool CDialogDriver::IsShown(std::u16string_view name) const {
  const SkinUI::CControlUI* control = Find(name);
  return control != nullptr && control->IsVisible();
}

int CDialogDriver::PageOf(std::u16string_view name) const {
  SkinUI::CControlUI* control = Find(name);
  auto* tab =
      control != nullptr ? static_cast<SkinUI::CTabLayoutUI*>(control->GetInterface(u"TabLayout")) : nullptr;
  return tab != nullptr ? tab->GetCurSel() : -1;
}

std::vector<uint32_t> CDialogDriver::PixelsOf(std::u16string_view name) const {
  std::vector<uint32_t> pixels;
  const SkinUI::CControlUI* control = Find(name);
  if (control == nullptr) return pixels;
  const SkinUI::TUIRect& rc = control->GetPos();
  POINT topLeft{rc.left, rc.top};
  ClientToScreen(m_dialog->m_hWnd, &topLeft);
  const RECT screen{topLeft.x, topLeft.y, topLeft.x + rc.Width(), topLeft.y + rc.Height()};
  (void)testing::CaptureScreen(screen, &pixels);
  return pixels;
}
