// The elements at the top of a skin that register resources with the paint
// manager (Image, Font, Default, Style, Fonts and Styles files) and the
// settings of the root Window element.
#include <algorithm>

#include "common/text.h"
#include "platform/window_messages.h"
#include "platform/window_system.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/builder/skin_builder_load.h"
#include "skinui/control/attribute_values.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

// The attributes of one element as name/value views.
template <class Visit>
void ForEachAttribute(CUIMarkupNode node, Visit&& visit) {
  const int count = node.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    visit(std::u16string_view(node.GetAttributeName(i)),
          std::u16string_view(node.GetAttributeValue(i)));
  }
}

bool Is(const char16_t* name, std::u16string_view wanted) {
  return name && EqualsIgnoreAsciiCase(name, wanted);
}

void RegisterFont(CUIMarkupNode node, CUIPaintManager* manager, bool sharedByFile) {
  int id = -1, size = 12;
  std::u16string face;
  bool bold = false, underline = false, italic = false, isDefault = false, shared = false;
  ForEachAttribute(node, [&](std::u16string_view name, std::u16string_view value) {
    if (name == u"id") id = ParseIntValue(value);
    else if (name == u"name") face = value;
    else if (name == u"size") size = ParseIntValue(value);
    else if (name == u"bold") bold = value == u"true";
    else if (name == u"underline") underline = value == u"true";
    else if (name == u"italic") italic = value == u"true";
    else if (name == u"default") isDefault = value == u"true";
    else if (name == u"shared") shared = value == u"true";
  });
  if (face.empty()) return;
  shared = shared || sharedByFile;
  if (id < 0) id = manager->GetFontCount(shared);
  manager->AddFont(id, face, size, bold, underline, italic, shared);
  if (isDefault) manager->SetDefaultFont(face, size, bold, underline, italic, shared);
}

// Style and Default: a name, a value and the shared flag.
void RegisterNamedList(CUIMarkupNode node, CUIPaintManager* manager, bool style,
                       bool sharedByFile) {
  std::u16string name, value;
  bool shared = false;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"name") name = v;
    else if (n == u"value") value = v;
    else if (n == u"shared") shared = v == u"true";
  });
  if (name.empty()) return;
  if (style) {
    manager->AddStyle(name, value, shared || sharedByFile);
  } else {
    manager->AddDefaultAttributeList(name, value, shared || sharedByFile);
  }
}

void RegisterImage(CUIMarkupNode node, CUIPaintManager* manager) {
  std::u16string name, type;
  uint32_t mask = 0;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"name") name = v;
    else if (n == u"restype") type = v;
    else if (n == u"mask") mask = ParseColorValue(v);
  });
  if (!name.empty()) manager->AddImage(name, type, mask);
}

uint8_t ParseOpacity(std::u16string_view value) {
  return static_cast<uint8_t>(std::clamp(ParseIntValue(value), 0, 255));
}

}  // namespace

void CUISkinBuilder::RegisterResources(CUIMarkupNode root, CUIPaintManager* manager) {
  for (CUIMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const char16_t* name = node.GetName();
    if (Is(name, u"Image")) RegisterImage(node, manager);
    else if (Is(name, u"Font")) RegisterFont(node, manager, false);
    else if (Is(name, u"Default")) RegisterNamedList(node, manager, false, false);
    else if (Is(name, u"Style")) RegisterNamedList(node, manager, true, false);
    else if (Is(name, u"Fonts")) RegisterResourceFile(node, manager, true);
    else if (Is(name, u"Styles")) RegisterResourceFile(node, manager, false);
  }
}

void CUISkinBuilder::RegisterResourceFile(CUIMarkupNode node, CUIPaintManager* manager,
                                          bool fonts) {
  std::u16string file;
  bool shared = false;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"xmlfile") file = v;
    else if (n == u"shared") shared = v == u"true";
  });
  CUIMarkup markup;
  if (file.empty() || !LoadSkinMarkup(markup, file, m_pstrtype)) return;
  CUIMarkupNode root = markup.GetRoot();
  if (!Is(root.GetName(), fonts ? u"Fonts" : u"Styles")) return;
  // The file's own root may say shared too.
  ForEachAttribute(root, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"shared" && v == u"true") shared = true;
  });
  for (CUIMarkupNode child = root.GetChild(); child.IsValid(); child = child.GetSibling()) {
    if (fonts && Is(child.GetName(), u"Font")) RegisterFont(child, manager, shared);
    if (!fonts && Is(child.GetName(), u"Style")) RegisterNamedList(child, manager, true, shared);
  }
}

void CUISkinBuilder::ApplyWindowAttributes(CUIMarkupNode root, CUIPaintManager* manager) {
  const platform::HWND hwnd = manager->GetPaintWindow();
  ForEachAttribute(root, [&](std::u16string_view name, std::u16string_view value) {
    if (name == u"size") {
      const TUISize size = ParseSizeValue(value);
      manager->SetInitSize(size.cx, size.cy);
      if (!manager->GetRoot()) {
        platform::SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    } else if (name == u"sizebox") {
      manager->SetSizeBox(ParseRectValue(value));
    } else if (name == u"caption") {
      manager->SetCaptionRect(ParseRectValue(value));
    } else if (name == u"roundcorner") {
      const TUISize size = ParseSizeValue(value);
      manager->SetRoundCorner(size.cx, size.cy);
    } else if (name == u"mininfo") {
      const TUISize size = ParseSizeValue(value);
      manager->SetMinInfo(size.cx, size.cy);
    } else if (name == u"maxinfo") {
      const TUISize size = ParseSizeValue(value);
      manager->SetMaxInfo(size.cx, size.cy);
    } else if (name == u"showdirty") {
      manager->SetShowUpdateRect(value == u"true");
    } else if (name == u"alpha" || name == u"opacity") {
      manager->SetOpacity(ParseOpacity(value));
    } else if (name == u"layeredimage") {
      manager->SetLayered(true);
      manager->SetLayeredImage(value);
    } else if (name == u"bktrans") {
      manager->SetLayered(EqualsIgnoreAsciiCase(value, u"true"));
    } else {
      ApplyWindowColor(name, value, manager);
    }
  });
}

void CUISkinBuilder::ApplyWindowColor(std::u16string_view name, std::u16string_view value,
                                      CUIPaintManager* manager) {
  const uint32_t color = ParseColorValue(value);
  if (name == u"disabledfontcolor") manager->SetDefaultDisabledColor(color);
  else if (name == u"defaultfontcolor") manager->SetDefaultFontColor(color);
  else if (name == u"linkfontcolor") manager->SetDefaultLinkFontColor(color);
  else if (name == u"linkhoverfontcolor") manager->SetDefaultLinkHoverFontColor(color);
  else if (name == u"selectedcolor") manager->SetDefaultSelectedBkColor(color);
  else if (name == u"focusindicatorcolor") manager->SetFocusIndicatorColor(color);
}

}  // namespace SkinUI
