// One skin built into a hidden window of its own, as skintool's tree and
// render commands see it: the builder, the paint manager and a client area
// of the asked size, laid out.
#pragma once

#include <memory>
#include <string>

#include "platform/window/window_system.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/window/paint_manager_window.h"

namespace skintool {

struct TSkinOptions {
  std::u16string file;  // a path, or "@NAME" for a file of the program's skin archive
  int width = 0;        // client size; 0: the Window's size scaled by the DPI
  int height = 0;
  int dpiPercent = 0;  // 0: the monitor's
};

class CSkinSession {
 public:
  CSkinSession() = default;
  CSkinSession(const CSkinSession&) = delete;
  CSkinSession& operator=(const CSkinSession&) = delete;

  // Builds the skin, sizes the client area and lays the tree out. False with
  // a one-line reason in *error when the skin cannot be built.
  bool Open(const TSkinOptions& options, std::string* error);
  SkinUI::CUIPaintManager& Manager() { return m_manager; }
  SkinUI::CControlUI* Root() const { return m_manager.GetRoot(); }
  SkinUI::TUISize ClientSize() const { return m_manager.GetClientSize(); }

 private:
  bool CreateHostWindow();
  // Points skin file names at the archive or at the file's folder; returns
  // the name the builder is given.
  std::u16string SelectSource(const std::u16string& file);

  SkinUI::CUIPaintManager m_manager;
  // Destroyed first: the window's last messages still reach the manager.
  CPaintManagerWindow m_window{&m_manager};
  platform::HWND m_hwnd = nullptr;
};

// Parses "WxH"; false when it is not two positive numbers.
bool ParseSize(const std::string& text, int* width, int* height);

}  // namespace skintool
