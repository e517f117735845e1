// Skin attributes of the base control and the attribute-list syntax.
#include <string>

#include "skinui/control/attribute_values.h"
#include "skinui/control/control.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

void ApplyPos(CControlUI& c, std::u16string_view value) {
  TUIRect r = ParseRectValue(value);
  c.SetFixedXY({r.left >= 0 ? r.left : r.right, r.top >= 0 ? r.top : r.bottom});
  c.SetFixedWidth(r.right - r.left);
  c.SetFixedHeight(r.bottom - r.top);
}

void ApplyBorderSize(CControlUI& c, std::u16string_view value) {
  if (value.find(u',') == std::u16string_view::npos) {
    c.SetBorderSize(ParseIntValue(value));
    c.SetSideBorderSize({});
  } else {
    c.SetSideBorderSize(ParseRectValue(value));
  }
}

void ApplyFloat(CControlUI& c, std::u16string_view value) {
  if (value.find(u',') == std::u16string_view::npos) {
    c.SetFloat(ParseBoolValue(value));
    return;
  }
  c.SetFloatPercent(ParseFractionsValue(value));
  c.SetFloat(true);
}

// Attributes that set a side border size: name -> index into l, t, r, b.
int SideIndex(std::u16string_view name) {
  if (name == u"leftbordersize") return 0;
  if (name == u"topbordersize") return 1;
  if (name == u"rightbordersize") return 2;
  if (name == u"bottombordersize") return 3;
  return -1;
}

void ApplySide(CControlUI& c, int index, int value) {
  TUIRect r = c.GetSideBorderSize();
  int* sides[] = {&r.left, &r.top, &r.right, &r.bottom};
  *sides[index] = value;
  c.SetSideBorderSize(r);
}

// Appearance attributes (colours, border, background); false when name is none of them.
bool ApplyAppearance(CControlUI& c, std::u16string_view name, std::u16string_view value) {
  if (name == u"bkcolor" || name == u"bkcolor1")
    c.SetBkColor(ParseColorValue(value));
  else if (name == u"bkcolor2")
    c.SetBkColor2(ParseColorValue(value));
  else if (name == u"bkcolor3")
    c.SetBkColor3(ParseColorValue(value));
  else if (name == u"bordercolor")
    c.SetBorderColor(ParseColorValue(value));
  else if (name == u"focusbordercolor")
    c.SetFocusBorderColor(ParseColorValue(value));
  else if (name == u"colorhsl")
    c.SetColorHSL(ParseBoolValue(value));
  else if (name == u"bordersize")
    ApplyBorderSize(c, value);
  else if (SideIndex(name) >= 0)
    ApplySide(c, SideIndex(name), ParseIntValue(value));
  else if (name == u"borderstyle")
    c.SetBorderStyle(ParseIntValue(value));
  else if (name == u"borderround")
    c.SetBorderRound(ParseSizeValue(value));
  else if (name == u"bkimage")
    c.SetBkImage(value);
  else
    return false;
  return true;
}

// Geometry attributes; false when name is none of them.
bool ApplyGeometry(CControlUI& c, std::u16string_view name, std::u16string_view value) {
  if (name == u"pos")
    ApplyPos(c, value);
  else if (name == u"padding")
    c.SetPadding(ParseRectValue(value));
  else if (name == u"width")
    c.SetFixedWidth(ParseIntValue(value));
  else if (name == u"height")
    c.SetFixedHeight(ParseIntValue(value));
  else if (name == u"minwidth")
    c.SetMinWidth(ParseIntValue(value));
  else if (name == u"minheight")
    c.SetMinHeight(ParseIntValue(value));
  else if (name == u"maxwidth")
    c.SetMaxWidth(ParseIntValue(value));
  else if (name == u"maxheight")
    c.SetMaxHeight(ParseIntValue(value));
  else if (name == u"float")
    ApplyFloat(c, value);
  else
    return false;
  return true;
}

// Text, state and naming attributes; false when name is none of them.
bool ApplyState(CControlUI& c, std::u16string_view name, std::u16string_view value) {
  if (name == u"name")
    c.SetName(value);
  else if (name == u"text")
    c.SetText(value);
  else if (name == u"tooltip")
    c.SetToolTip(value);
  else if (name == u"userdata")
    c.SetUserData(value);
  else if (name == u"enabled")
    c.SetEnabled(ParseBoolValue(value));
  else if (name == u"mouse")
    c.SetMouseEnabled(ParseBoolValue(value));
  else if (name == u"keyboard")
    c.SetKeyboardEnabled(ParseBoolValue(value));
  else if (name == u"visible")
    c.SetVisible(ParseBoolValue(value));
  else if (name == u"shortcut")
    c.SetShortcut(value.empty() ? 0 : value[0]);
  else if (name == u"menu")
    c.SetContextMenuUsed(ParseBoolValue(value));
  else if (name == u"virtualwnd")
    c.SetVirtualWnd(value);
  else
    return false;
  return true;
}

}  // namespace

void CControlUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (ApplyAppearance(*this, name, value) || ApplyGeometry(*this, name, value) ||
      ApplyState(*this, name, value)) {
    return;
  }
  if (name == u"style" && m_pManager) {
    std::u16string list = m_pManager->Resources().GetStyle(value);
    if (!list.empty()) ApplyAttributeList(list);
  }
}

void CControlUI::ApplyAttributeList(std::u16string_view list) {
  size_t pos = 0;
  while (pos < list.size()) {
    size_t eq = list.find(u'=', pos);
    if (eq == std::u16string_view::npos || eq + 1 >= list.size() || list[eq + 1] != u'"') return;
    size_t close = list.find(u'"', eq + 2);
    if (close == std::u16string_view::npos) return;
    SetAttribute(list.substr(pos, eq - pos), list.substr(eq + 2, close - eq - 2));
    pos = close + 1;
    // Only a single blank separates pairs; anything else ends the list.
    if (pos >= list.size() || list[pos] != u' ') return;
    ++pos;
  }
}

void CControlUI::SetVirtualWnd(std::u16string_view name) {
  m_sVirtualWnd = name;
  if (m_pManager) m_pManager->SetUsedVirtualWnd(true);
}

}  // namespace SkinUI
