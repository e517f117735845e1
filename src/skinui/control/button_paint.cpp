// State images, text colours and attributes of the button.
#include "common/text.h"
#include "skinui/control/attribute_values.h"
#include "skinui/control/button.h"
#include "skinui/control/rect_ops.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {

bool CButtonUI::DrawStateImage(CUICanvas& dc, std::u16string& descriptor, std::u16string_view modify) {
  if (descriptor.empty()) return false;
  if (DrawImage(dc, descriptor, modify)) return true;
  descriptor.clear();  // refused (no manager to draw with): dropped for good
  return false;
}

void CButtonUI::PaintFadingImages(CUICanvas& dc) {
  // The normal image fades out while the hot one fades in (and back).
  std::u16string normal = u"fade='" + ToU16(m_uFadeAlpha) + u"'";
  std::u16string hot = u"fade='" + ToU16(255 - m_uFadeAlpha) + u"'";
  DrawStateImage(dc, m_sNormalImage, normal);
  DrawStateImage(dc, m_sHotImage, hot);
}

void CButtonUI::PaintStatusImage(CUICanvas& dc) {
  m_uButtonState = IsFocused() ? m_uButtonState | kButtonFocused : m_uButtonState & ~kButtonFocused;
  m_uButtonState = IsEnabled() ? m_uButtonState & ~kButtonDisabled : m_uButtonState | kButtonDisabled;
  bool drawNormal = true;
  if (m_uButtonState & kButtonDisabled) {
    drawNormal = !DrawStateImage(dc, m_sDisabledImage);
  } else if ((m_uButtonState & kButtonPushed) && !m_sPushedImage.empty()) {
    DrawStateImage(dc, m_sPushedImage);
    if (DrawStateImage(dc, m_sPushedForeImage)) return;
    drawNormal = false;
  } else if (m_uFadeDelta > 0 && !m_sHotImage.empty()) {
    PaintFadingImages(dc);
    drawNormal = false;
  } else if ((m_uButtonState & kButtonHot) && !m_sHotImage.empty()) {
    DrawStateImage(dc, m_sHotImage);
    if (DrawStateImage(dc, m_sHotForeImage)) return;
    drawNormal = false;
  } else if ((m_uButtonState & kButtonHot) && m_dwHotBkColor != 0) {
    CUIRenderEngine::DrawColor(dc, GetPaintRect(), GetAdjustColor(m_dwHotBkColor));
    return;
  } else if ((m_uButtonState & kButtonFocused) && !m_sFocusedImage.empty()) {
    DrawStateImage(dc, m_sFocusedImage);
    drawNormal = false;
  }
  if (drawNormal) DrawStateImage(dc, m_sNormalImage);
  DrawStateImage(dc, m_sForeImage);
}

void CButtonUI::PaintText(CUICanvas& dc) {
  ResolveTextColors();
  if (GetText().empty()) return;
  uint32_t color = IsEnabled() ? GetTextColor() : GetDisabledTextColor();
  if ((m_uButtonState & kButtonPushed) && m_dwPushedTextColor != 0) {
    color = m_dwPushedTextColor;
  } else if ((m_uButtonState & kButtonHot) && m_dwHotTextColor != 0) {
    color = m_dwHotTextColor;
  } else if ((m_uButtonState & kButtonFocused) && m_dwFocusedTextColor != 0) {
    color = m_dwFocusedTextColor;
  }
  DrawLabelText(dc, Deflate(GetPos(), GetTextPadding()), color, GetTextStyle());
}

namespace {

void StoreImage(CControlUI& c, std::u16string& field, std::u16string_view descriptor) {
  field = descriptor;
  c.Invalidate();
}

}  // namespace

void CButtonUI::SetNormalImage(std::u16string_view d) { StoreImage(*this, m_sNormalImage, d); }
void CButtonUI::SetHotImage(std::u16string_view d) { StoreImage(*this, m_sHotImage, d); }
void CButtonUI::SetHotForeImage(std::u16string_view d) { StoreImage(*this, m_sHotForeImage, d); }
void CButtonUI::SetPushedImage(std::u16string_view d) { StoreImage(*this, m_sPushedImage, d); }
void CButtonUI::SetPushedForeImage(std::u16string_view d) { StoreImage(*this, m_sPushedForeImage, d); }
void CButtonUI::SetFocusedImage(std::u16string_view d) { StoreImage(*this, m_sFocusedImage, d); }
void CButtonUI::SetDisabledImage(std::u16string_view d) { StoreImage(*this, m_sDisabledImage, d); }
void CButtonUI::SetForeImage(std::u16string_view d) { StoreImage(*this, m_sForeImage, d); }

void CButtonUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (name == u"normalimage")
    SetNormalImage(value);
  else if (name == u"hotimage")
    SetHotImage(value);
  else if (name == u"hotforeimage")
    SetHotForeImage(value);
  else if (name == u"pushedimage")
    SetPushedImage(value);
  else if (name == u"pushedforeimage")
    SetPushedForeImage(value);
  else if (name == u"focusedimage")
    SetFocusedImage(value);
  else if (name == u"disabledimage")
    SetDisabledImage(value);
  else if (name == u"foreimage")
    SetForeImage(value);
  else if (name == u"fadedelta")
    SetFadeDelta(ParseIntValue(value));
  else if (name == u"default")
    SetDefault(ParseBoolValue(value));
  else if (name == u"hotbkcolor")
    SetHotBkColor(ParseColorValue(value));
  else if (name == u"hottextcolor")
    SetHotTextColor(ParseColorValue(value));
  else if (name == u"pushedtextcolor")
    SetPushedTextColor(ParseColorValue(value));
  else if (name == u"focusedtextcolor")
    SetFocusedTextColor(ParseColorValue(value));
  else
    CLabelUI::SetAttribute(name, value);
}

}  // namespace SkinUI
