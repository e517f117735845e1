// Opens the update dialog as the program does (skin archive, popup window,
// centred and shown) and ends the process the moment its first frame is on
// the screen, so that a benchmark can time a process start to that frame.
#include <cstdlib>

#include "app/skin_archive.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "platform/window/window_test_driver.h"
#include "update_dialog/main_dlg.h"

int main() {
  if (!RegisterSkinArchive()) return 2;
  platform::CMessageLoop loop;
  if (!platform::AddMessageLoop(&loop)) return 3;
  auto* dialog = new CMainDlg();  // ended with the process, never torn down
  if (dialog->CreateDialogWindow(u"OrvBenchUpdateDialog", DialogTitle()) == nullptr) return 4;
  dialog->Place(true);
  platform::MSG msg;
  while (platform::GetMessage(&msg) > 0) {
    if (dialog->PreTranslateMessage(&msg)) continue;
    platform::TranslateMessage(&msg);
    platform::DispatchMessage(&msg);
    if (msg.message == WM_PAINT && msg.hwnd == dialog->m_hWnd) {
      // A round trip: the display server has drawn the frame.
      platform::testing::FlushInput();
      std::_Exit(0);
    }
  }
  return 1;
}
