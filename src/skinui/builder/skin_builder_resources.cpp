// The elements at the top of a skin that register the window's resources
// (Image, Font, Default, Style, Fonts and Styles files) and the settings of
// the root Window element.
#include <algorithm>

#include "common/text.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
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
    visit(std::u16string_view(node.GetAttributeName(i)), std::u16string_view(node.GetAttributeValue(i)));
  }
}

bool Is(const char16_t* name, std::u16string_view wanted) {
  return name && EqualsIgnoreAsciiCase(name, wanted);
}

void RegisterFont(CUIMarkupNode node, CUIResources& resources, bool sharedByFile) {
  int id = -1, size = 12;
  std::u16string face;
  bool bold = false, underline = false, italic = false, isDefault = false, shared = false;
  ForEachAttribute(node, [&](std::u16string_view name, std::u16string_view value) {
    if (name == u"id")
      id = ParseIntValue(value);
    else if (name == u"name")
      face = value;
    else if (name == u"size")
      size = ParseIntValue(value);
    else if (name == u"bold")
      bold = value == u"true";
    else if (name == u"underline")
      underline = value == u"true";
    else if (name == u"italic")
      italic = value == u"true";
    else if (name == u"default")
      isDefault = value == u"true";
    else if (name == u"shared")
      shared = value == u"true";
  });
  if (face.empty()) return;
  shared = shared || sharedByFile;
  if (id < 0) id = resources.GetFontCount(shared);
  resources.AddFont(id, face, size, bold, underline, italic, shared);
  if (isDefault) resources.SetDefaultFont(face, size, bold, underline, italic, shared);
}

// Style and Default: a name, a value and the shared flag.
void RegisterNamedList(CUIMarkupNode node, CUIResources& resources, bool style, bool sharedByFile) {
  std::u16string name, value;
  bool shared = false;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"name")
      name = v;
    else if (n == u"value")
      value = v;
    else if (n == u"shared")
      shared = v == u"true";
  });
  if (name.empty()) return;
  if (style) {
    resources.AddStyle(name, value, shared || sharedByFile);
  } else {
    resources.AddDefaultAttributeList(name, value, shared || sharedByFile);
  }
}

void RegisterImage(CUIMarkupNode node, CUIResources& resources) {
  std::u16string name, type;
  uint32_t mask = 0;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"name")
      name = v;
    else if (n == u"restype")
      type = v;
    else if (n == u"mask")
      mask = ParseColorValue(v);
  });
  if (!name.empty()) resources.AddImage(name, type, mask);
}

uint8_t ParseOpacity(std::u16string_view value) {
  return static_cast<uint8_t>(std::clamp(ParseIntValue(value), 0, 255));
}

void ReadWindowColor(std::u16string_view name, std::u16string_view value, TUIColors& colors) {
  const uint32_t color = ParseColorValue(value);
  if (name == u"disabledfontcolor")
    colors.disabledFont = color;
  else if (name == u"defaultfontcolor")
    colors.font = color;
  else if (name == u"linkfontcolor")
    colors.linkFont = color;
  else if (name == u"linkhoverfontcolor")
    colors.linkHoverFont = color;
  else if (name == u"selectedcolor")
    colors.selectedBk = color;
  else if (name == u"focusindicatorcolor")
    colors.focusIndicator = color;
}

// Reads the Window element's settings over window and colors; true when it
// gives the window a size.
bool ReadWindowElement(CUIMarkupNode root, TUIWindowAttributes& window, TUIColors& colors) {
  bool sized = false;
  ForEachAttribute(root, [&](std::u16string_view name, std::u16string_view value) {
    if (name == u"size") {
      window.initSize = ParseSizeValue(value);
      sized = true;
    } else if (name == u"sizebox") {
      window.sizeBox = ParseRectValue(value);
    } else if (name == u"caption") {
      window.caption = ParseRectValue(value);
    } else if (name == u"roundcorner") {
      window.roundCorner = ParseSizeValue(value);
    } else if (name == u"mininfo") {
      window.minSize = ParseSizeValue(value);
    } else if (name == u"maxinfo") {
      window.maxSize = ParseSizeValue(value);
    } else if (name == u"showdirty") {
      window.showUpdateRect = value == u"true";
    } else if (name == u"alpha" || name == u"opacity") {
      window.opacity = ParseOpacity(value);
    } else if (name == u"layeredimage") {
      window.layered = true;
      window.layeredImage = value;
    } else if (name == u"bktrans") {
      window.layered = EqualsIgnoreAsciiCase(value, u"true");
    } else {
      ReadWindowColor(name, value, colors);
    }
  });
  return sized;
}

}  // namespace

void CUISkinBuilder::RegisterResources(CUIMarkupNode root, CUIResources& resources) {
  for (CUIMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const char16_t* name = node.GetName();
    if (Is(name, u"Image"))
      RegisterImage(node, resources);
    else if (Is(name, u"Font"))
      RegisterFont(node, resources, false);
    else if (Is(name, u"Default"))
      RegisterNamedList(node, resources, false, false);
    else if (Is(name, u"Style"))
      RegisterNamedList(node, resources, true, false);
    else if (Is(name, u"Fonts"))
      RegisterResourceFile(node, resources, true);
    else if (Is(name, u"Styles"))
      RegisterResourceFile(node, resources, false);
  }
}

void CUISkinBuilder::RegisterResourceFile(CUIMarkupNode node, CUIResources& resources, bool fonts) {
  std::u16string file;
  bool shared = false;
  ForEachAttribute(node, [&](std::u16string_view n, std::u16string_view v) {
    if (n == u"xmlfile")
      file = v;
    else if (n == u"shared")
      shared = v == u"true";
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
    if (fonts && Is(child.GetName(), u"Font")) RegisterFont(child, resources, shared);
    if (!fonts && Is(child.GetName(), u"Style")) RegisterNamedList(child, resources, true, shared);
  }
}

void CUISkinBuilder::ApplyWindowAttributes(CUIMarkupNode root, CUIPaintManager* manager) {
  TUIWindowAttributes window = manager->GetWindowAttributes();
  const bool sized = ReadWindowElement(root, window, manager->Resources().Colors());
  manager->SetWindowAttributes(window);
  if (sized && !manager->GetRoot()) {
    platform::SetWindowPos(manager->GetPaintWindow(), nullptr, 0, 0, window.initSize.cx, window.initSize.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace SkinUI
