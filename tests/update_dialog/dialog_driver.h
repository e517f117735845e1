// Runs the update dialog on the test's thread the way the program does
// (popup window, message loop) and drives it like a user: clicks through the
// window system's input, pumps messages until a state is reached, reads the
// controls and the screen.
#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/window/window_system.h"
#include "skinui/control/ui_notify.h"
#include "update_dialog/main_dlg.h"

class CDialogDriver {
 public:
  CDialogDriver();
  ~CDialogDriver();

  // Creates the dialog's window and shows it (or keeps it hidden).
  bool Open(bool show);
  // Dispatches messages until done() holds or the dialog ended; false on
  // timeout or when it ended first without done() holding.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Pumps until the dialog's loop got WM_QUIT (bounded).
  bool WaitForClose(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Dispatches for a while (to see that nothing changes).
  void PumpFor(std::chrono::milliseconds time);
  // Clicks the middle of the named control with the left button.
  bool Click(std::u16string_view name);
  // Presses the keys (virtual-key codes) in order and releases them in
  // reverse, as a user types a chord such as Shift+Tab.
  bool Press(std::initializer_list<int> keys);
  // The name of the control with the keyboard focus; empty when none.
  std::u16string FocusName() const;

  bool IsClosed() const { return m_closed; }
  // Milliseconds from the dialog's WM_DESTROY to its loop's end: the time
  // the dialog itself takes to close (its workers' waits included).
  uint32_t CloseDelayMs() const { return m_quitTick - m_destroyTick; }
  CMainDlg& dialog() { return *m_dialog; }
  SkinUI::CControlUI* Find(std::u16string_view name) const;
  std::u16string TextOf(std::u16string_view name) const;
  bool IsShown(std::u16string_view name) const;
  // The selected page of a tab layout, -1 when there is no such control.
  int PageOf(std::u16string_view name) const;
  // The screen's pixels over the named control, opaque 0xFFRRGGBB.
  std::vector<uint32_t> PixelsOf(std::u16string_view name) const;

 private:
  void DispatchReady();

  std::unique_ptr<CMainDlg> m_dialog;
  platform::CMessageLoop m_loop;
  bool m_loopAdded = false;
  bool m_closed = false;
  uint32_t m_quitTick = 0;
  uint32_t m_destroyTick = 0;
  std::unique_ptr<SkinUI::IMessageFilterUI> m_destroyWatch;
};

// The class name the dialog windows of the tests register.
inline constexpr char16_t kTestDialogClass[] = u"OrvTestUpdateDialog";
