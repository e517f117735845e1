// Text measuring and painting of the label.
#include "skinui/control/label.h"

#include "skinui/control/rect_ops.h"
#include "skinui/markup/html_tokens.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {

CLabelUI::CLabelUI() : m_uTextStyle(DT_VCENTER | DT_SINGLELINE) {}

std::u16string_view CLabelUI::GetClass() const { return u"Label"; }

void* CLabelUI::GetInterface(std::u16string_view name) {
  if (name == u"Label") return this;
  return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextColor(uint32_t color) { SetAndInvalidate(m_dwTextColor, color); }

void CLabelUI::SetDisabledTextColor(uint32_t color) { SetAndInvalidate(m_dwDisabledTextColor, color); }

void CLabelUI::SetFont(int index) {
  if (m_iFont == index) return;
  m_iFont = index;
  Relayout();
}

void CLabelUI::SetTextStyle(uint32_t style) {
  m_uTextStyle = style;
  Invalidate();
}

TUIRect CLabelUI::GetTextPadding() const { return ScaleRect(m_rcTextPadding); }

void CLabelUI::SetTextPadding(const TUIRect& padding) {
  m_rcTextPadding = padding;
  Relayout();
}

void CLabelUI::SetShowHtml(bool show) {
  if (m_bShowHtml == show) return;
  m_bShowHtml = show;
  Relayout();
}

TUIRect CLabelUI::MeasureText(TUIRect rc) {
  IUIRenderHost* host = GetHost();
  if (!host) return {rc.left, rc.top, rc.left, rc.top};
  static CUISurface nothing;  // measuring draws nothing
  CUICanvas dc(nothing);
  uint32_t style = (m_uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT;
  if (m_bShowHtml) {
    CUIRenderEngine::DrawHtmlText(dc, host, rc, GetText(), 0, nullptr, nullptr, nullptr, m_iFont, style);
  } else {
    CUIRenderEngine::DrawText(dc, host, rc, GetText(), 0, m_iFont, style);
  }
  return rc;
}

TUISize CLabelUI::EstimateSize(TUISize available) {
  TUISize size = GetFixedSize();
  if (size.cx >= 1 && size.cy >= 1) return size;
  TUIRect pad = GetTextPadding();
  if (m_uTextStyle & DT_SINGLELINE) {
    if (size.cy == 0) {
      const TUIFontInfo* font = GetManager() ? GetManager()->Resources().GetFontInfo(m_iFont) : nullptr;
      size.cy = (font ? font->tm.height : 0) + 8 + pad.top + pad.bottom;
    }
    if (size.cx == 0) {
      TUIRect rc = MeasureText({pad.left, 0, available.cx - pad.right, size.cy});
      size.cx = rc.Width() + pad.left + pad.right;
    }
    return size;
  }
  int width = size.cx > 0 ? size.cx : available.cx;
  TUIRect rc = MeasureText({pad.left, 0, width - pad.right, 9999});
  if (size.cx == 0) size.cx = rc.Width() + pad.left + pad.right;
  if (size.cy == 0) size.cy = rc.Height() + pad.top + pad.bottom;
  return size;
}

void CLabelUI::ResolveTextColors() {
  if (!GetManager()) return;
  const TUIColors& defaults = GetManager()->Resources().Colors();
  if (m_dwTextColor == 0) m_dwTextColor = defaults.font;
  if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = defaults.disabledFont;
}

void CLabelUI::DrawLabelText(CUICanvas& dc, TUIRect rc, uint32_t color, uint32_t style) {
  if (m_bShowHtml) {
    CUIRenderEngine::DrawHtmlText(dc, GetHost(), rc, GetText(), color, nullptr, nullptr, nullptr, m_iFont,
                                  style);
  } else {
    CUIRenderEngine::DrawText(dc, GetHost(), rc, GetText(), color, m_iFont, style);
  }
}

void CLabelUI::PaintText(CUICanvas& dc) {
  ResolveTextColors();
  if (GetText().empty()) return;
  TUIRect rc = Deflate(GetPos(), GetTextPadding());
  uint32_t color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
  if (m_effect.enabled) {
    PaintEffectText(dc, rc, color, m_uTextStyle | DT_SINGLELINE);
  } else {
    DrawLabelText(dc, rc, color, m_uTextStyle | DT_SINGLELINE);
  }
}

void CLabelUI::PaintEffectText(CUICanvas& dc, const TUIRect& rc, uint32_t color, uint32_t style) {
  if (m_effect.shadow) {
    // The shadow at the four one-pixel offsets around the shadow offset.
    static constexpr int kAround[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& d : kAround) {
      TUIRect shadow = rc;
      shadow.Offset(Scale(m_effect.shadowOffset.cx) + d[0], Scale(m_effect.shadowOffset.cy) + d[1]);
      DrawLabelText(dc, shadow, m_effect.shadowColorA, style);
    }
  }
  if (m_effect.stroke) {
    for (int dx = -1; dx <= 1; dx += 2) {
      TUIRect outline = rc;
      outline.Offset(dx, 0);
      DrawLabelText(dc, outline, m_effect.strokeColor, style);
    }
  }
  DrawLabelText(dc, rc, m_effect.textColor1 != 0 ? m_effect.textColor1 : color, style);
}

std::u16string CLabelUI::GetPlainText() const {
  if (!m_bShowHtml) return GetText();
  std::u16string plain;
  for (const THtmlToken& token : TokenizeHtml(GetText(), false)) {
    if (token.kind == THtmlToken::kText) plain += token.text;
    if (token.kind == THtmlToken::kLineFeed) plain += u'\n';
  }
  return plain;
}

bool CLabelUI::GetAccessibleInfo(TUIAccessibleInfo& info) const {
  info.role = platform::EAccessibleRole::kStaticText;
  info.name = GetPlainText();
  return true;
}

}  // namespace SkinUI
