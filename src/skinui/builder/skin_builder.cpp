// Loading a skin and building it: the steps of Create, and the window scaling
// that follows a build.
#include <vector>

#include "common/text.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/builder/skin_builder_load.h"
#include "skinui/control/attribute_values.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/render/window_scale.h"
#include "skinui/resources/skin_resources.h"

namespace SkinUI {

bool LoadSkinMarkup(CUIMarkup& markup, std::u16string_view skin, std::u16string_view type) {
  markup.Release();
  if (!skin.empty() && skin[0] == u'<') return markup.LoadFromText(skin);
  const uint16_t id = static_cast<uint16_t>(ParseIntValue(skin));
  auto read = [&](uint8_t* buffer, size_t* size) {
    return type.empty() ? SkinResources().ReadSkinFile(skin, buffer, size)
                        : SkinResources().ReadSkinResource(id, type, buffer, size);
  };
  size_t size = 0;
  if (read(nullptr, &size) != kSkinBufferTooSmall) return false;
  std::vector<uint8_t> bytes(size);
  if (read(bytes.data(), &size) != kSkinReadOk) return false;
  return markup.LoadFromMemory(bytes.data(), size, CUIMarkup::kUtf8);
}

CControlUI* CUISkinBuilder::Create(std::u16string_view skin, std::u16string_view type,
                                   IDialogBuilderCallback* callback, CUIPaintManager* manager,
                                   CControlUI* parent) {
  m_pCallback = callback;
  m_pstrtype = type;
  if (!LoadSkinMarkup(m_xml, skin, type)) return nullptr;
  if (manager) {
    // The monitor the window stands on, where it will be shown: on an X
    // server the primary monitor may lie anywhere, not only at 0, 0.
    const int dpi = CUIPaintManager::GetMonitorDPI(manager->GetPaintWindow());
    if (dpi != 96) manager->SetDPI(dpi);
  }
  CControlUI* root = Build(manager, parent);
  if (!root) return nullptr;
  if (manager && manager->GetPaintWindow() && !m_bNested) ScaleWindow(manager, root);
  return root;
}

CControlUI* CUISkinBuilder::Build(CUIPaintManager* manager, CControlUI* parent) {
  CUIMarkupNode root = m_xml.GetRoot();
  if (!root.IsValid()) return nullptr;
  if (manager) {
    RegisterResources(root, manager->Resources());
    if (std::u16string_view(root.GetName()) == u"Window" && manager->GetPaintWindow()) {
      ApplyWindowAttributes(root, manager);
    }
  }
  return ParseChildren(root, parent, manager);
}

void CUISkinBuilder::ScaleWindow(CUIPaintManager* manager, CControlUI* root) {
  const platform::HWND hwnd = manager->GetPaintWindow();
  platform::RECT rc;
  if (platform::GetWindowRect(hwnd, &rc) && !platform::IsZoomed(hwnd)) {
    // The skin's size when the window took it, else the window's own, still
    // in 96-DPI units (a window of fixed size may already show it scaled).
    TUISize size96{rc.right - rc.left, rc.bottom - rc.top};
    const TUISize skin = manager->GetWindowAttributes().initSize;
    if (!manager->GetRoot() && skin.cx > 0 && skin.cy > 0) size96 = skin;
    const TUISize work = WorkAreaSize(platform::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
    manager->SetDPIScale(FittingScale(manager->GetDPIScale(), size96, work));
    const int scale = manager->GetDPIScale();
    platform::SetWindowPos(hwnd, nullptr, rc.left, rc.top, ScaleByDpi(size96.cx, scale),
                           ScaleByDpi(size96.cy, scale), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  root->NeedUpdate();
  platform::InvalidateRect(hwnd, nullptr, true);
}

}  // namespace SkinUI
