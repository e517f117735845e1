// Skin attributes of the label.
#include "skinui/control/attribute_values.h"
#include "skinui/control/label.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

bool Contains(std::u16string_view text, std::u16string_view word) {
  return text.find(word) != std::u16string_view::npos;
}

uint32_t SetBit(uint32_t style, uint32_t bit, bool on) { return on ? style | bit : style & ~bit; }

}  // namespace

bool CLabelUI::ApplyEffectAttribute(std::u16string_view name, std::u16string_view value) {
  TEffect& e = m_effect;
  int number = ParseIntValue(value);
  if (name == u"enabledeffect")
    e.enabled = ParseBoolValue(value);
  else if (name == u"enabledshadow")
    e.shadow = ParseBoolValue(value);
  else if (name == u"enabledstroke")
    e.stroke = ParseBoolValue(value);
  else if (name == u"rhaa")
    e.renderingHint = number;
  else if (name == u"transshadow")
    e.transShadow = number;
  else if (name == u"transtext")
    e.transText = number;
  else if (name == u"transshadow1")
    e.transShadow1 = number;
  else if (name == u"transtext1")
    e.transText1 = number;
  else if (name == u"transstroke")
    e.transStroke = number;
  else if (name == u"gradientangle")
    e.gradientAngle = number;
  else if (name == u"gradientlength")
    e.gradientLength = number;
  else if (name == u"shadowoffset")
    e.shadowOffset = ParseSizeValue(value);
  else if (name == u"textcolor1")
    e.textColor1 = ParseColorValue(value);
  else if (name == u"textshadowcolora")
    e.shadowColorA = ParseColorValue(value);
  else if (name == u"textshadowcolorb")
    e.shadowColorB = ParseColorValue(value);
  else if (name == u"strokecolor")
    e.strokeColor = ParseColorValue(value);
  else
    return false;
  Invalidate();
  return true;
}

void CLabelUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  uint32_t style = m_uTextStyle;
  if (name == u"align") {
    // Checked in this order, so "left center" ends centred.
    if (Contains(value, u"left")) style &= ~(DT_CENTER | DT_RIGHT), m_effect.hAlign = 0;
    if (Contains(value, u"center")) style = (style & ~DT_RIGHT) | DT_CENTER, m_effect.hAlign = 1;
    if (Contains(value, u"right")) style = (style & ~DT_CENTER) | DT_RIGHT, m_effect.hAlign = 2;
    SetTextStyle(style);
  } else if (name == u"valign") {
    if (Contains(value, u"top")) style &= ~(DT_VCENTER | DT_BOTTOM), m_effect.vAlign = 0;
    if (Contains(value, u"center")) style = (style & ~DT_BOTTOM) | DT_VCENTER, m_effect.vAlign = 1;
    if (Contains(value, u"bottom")) style = (style & ~DT_VCENTER) | DT_BOTTOM, m_effect.vAlign = 2;
    SetTextStyle(style);
  } else if (name == u"singleline") {
    SetTextStyle(SetBit(style, DT_SINGLELINE, ParseBoolValue(value)));
  } else if (name == u"pathellipsis") {
    SetTextStyle(SetBit(style, kTextPathEllipsis, ParseBoolValue(value)));
  } else if (name == u"endellipsis") {
    SetTextStyle(SetBit(style, DT_END_ELLIPSIS, ParseBoolValue(value)));
  } else if (name == u"font") {
    SetFont(ParseIntValue(value));
  } else if (name == u"textcolor") {
    SetTextColor(ParseColorValue(value));
  } else if (name == u"disabledtextcolor") {
    SetDisabledTextColor(ParseColorValue(value));
  } else if (name == u"textpadding") {
    SetTextPadding(ParseRectValue(value));
  } else if (name == u"showhtml") {
    SetShowHtml(ParseBoolValue(value));
  } else if (!ApplyEffectAttribute(name, value)) {
    CControlUI::SetAttribute(name, value);
  }
}

}  // namespace SkinUI
