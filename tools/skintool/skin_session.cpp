#include "skin_session.h"

#include "app/skin_archive.h"
#include "common/text.h"
#include "platform/system/path_separator.h"
#include "platform/window/window_messages.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/resources/skin_resources.h"

namespace skintool {
namespace {

constexpr char16_t kHostClass[] = u"SkinToolHost";

// DPI for a scale in percent, exact for the usual steps of 25.
int DpiOfPercent(int percent) { return (percent * 96 + 50) / 100; }

}  // namespace

bool CSkinSession::CreateHostWindow() {
  // Never shown: the tree is painted into a canvas, not onto a screen.
  const platform::RECT bounds{0, 0, 1, 1};
  m_hwnd = m_window.Create(kHostClass, 0, nullptr, u"skintool", WS_POPUP, 0, &bounds);
  return m_hwnd != nullptr;
}

std::u16string CSkinSession::SelectSource(const std::u16string& file) {
  SkinUI::CSkinResources& resources = SkinUI::SkinResources();
  if (!file.empty() && file[0] == u'@') {
    resources.SetResourcePath(u"");
    (void)RegisterSkinArchive();  // a missing archive shows as a missing file
    return file.substr(1);
  }
  // Include, Fonts, Styles and images are found beside the file.
  resources.SetResourceZip(u"", false);
  size_t cut = file.find_last_of(u"/\\");
  if (cut == std::u16string::npos) {
    resources.SetResourcePath(u"");
    return file;
  }
  std::u16string folder = file.substr(0, cut + 1);
  if (folder.back() != platform::kPathSeparator && folder.back() != u'/') {
    folder += platform::kPathSeparator;
  }
  resources.SetResourcePath(folder);
  return file.substr(cut + 1);
}

bool CSkinSession::Open(const TSkinOptions& options, std::string* error) {
  if (!CreateHostWindow()) {
    *error = "no window can be created";
    return false;
  }
  // Shared fonts and styles of an earlier skin in this process do not count.
  SkinUI::CUIResources::RemoveAllShared();
  m_manager.Init(m_hwnd);
  if (options.dpiPercent > 0) m_manager.SetDPI(DpiOfPercent(options.dpiPercent));
  const std::u16string name = SelectSource(options.file);
  SkinUI::CUISkinBuilder builder;
  SkinUI::CControlUI* root = builder.Create(name, {}, nullptr, &m_manager);
  if (!root) {
    const std::u16string message = builder.GetMarkup().GetLastErrorMessage();
    *error = message.empty() ? "no control could be built (missing file or no control in it)"
                             : Utf16ToUtf8(message);
    return false;
  }
  // The asked scale wins over the monitor's, which the builder applied.
  if (options.dpiPercent > 0) m_manager.SetDPI(DpiOfPercent(options.dpiPercent));
  SkinUI::TUISize size = m_manager.GetScaledWindowAttributes().initSize;
  if (options.width > 0) size = {options.width, options.height};
  if (size.cx <= 0 || size.cy <= 0) {
    *error = "the skin gives no window size: use --size WxH";
    return false;
  }
  platform::SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_manager.AttachDialog(root);
  // Lays out (and announces "windowinit") as the first paint would.
  SkinUI::CUISurface scratch(1, 1);
  SkinUI::CUICanvas canvas(scratch);
  m_manager.PaintClientTo(canvas);
  return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
  try {
    size_t used = 0;
    *width = std::stoi(text.substr(0, x), &used);
    if (used != x) return false;
    *height = std::stoi(text.substr(x + 1), &used);
    if (used != text.size() - x - 1) return false;
  } catch (...) {
    return false;
  }
  return *width > 0 && *height > 0;
}

}  // namespace skintool
