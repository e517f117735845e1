// Sizes, limits, padding and floating settings of the base control: kept in
// 96-DPI units, scaled when read.
#include "skinui/control/control.h"

namespace SkinUI {

TUIRect CControlUI::GetPadding() const { return ScaleRect(m_rcPadding); }

void CControlUI::SetPadding(const TUIRect& padding) {
  m_rcPadding = padding;
  NeedParentUpdate();
}

void CControlUI::SetFixedXY(TUISize xy) {
  m_cXY = xy;
  Relayout();
}

TUISize CControlUI::GetFixedSize() const { return {Scale(m_cxyFixed.cx), Scale(m_cxyFixed.cy)}; }

int CControlUI::GetFixedWidth(bool raw) const { return raw ? m_cxyFixed.cx : Scale(m_cxyFixed.cx); }

int CControlUI::GetFixedHeight(bool raw) const { return raw ? m_cxyFixed.cy : Scale(m_cxyFixed.cy); }

void CControlUI::SetFixedWidth(int cx) {
  if (cx < 0) return;
  m_cxyFixed.cx = cx;
  Relayout();
}

void CControlUI::SetFixedHeight(int cy) {
  if (cy < 0) return;
  m_cxyFixed.cy = cy;
  Relayout();
}

int CControlUI::GetMinWidth() const { return Scale(m_cxyMin.cx); }
int CControlUI::GetMaxWidth() const { return Scale(m_cxyMax.cx); }
int CControlUI::GetMinHeight() const { return Scale(m_cxyMin.cy); }
int CControlUI::GetMaxHeight() const { return Scale(m_cxyMax.cy); }

namespace {

// Stores a limit unless it is negative or unchanged; true when stored.
bool StoreLimit(int& field, int value) {
  if (value < 0 || field == value) return false;
  field = value;
  return true;
}

}  // namespace

void CControlUI::SetMinWidth(int cx) {
  if (StoreLimit(m_cxyMin.cx, cx)) Relayout();
}
void CControlUI::SetMaxWidth(int cx) {
  if (StoreLimit(m_cxyMax.cx, cx)) Relayout();
}
void CControlUI::SetMinHeight(int cy) {
  if (StoreLimit(m_cxyMin.cy, cy)) Relayout();
}
void CControlUI::SetMaxHeight(int cy) {
  if (StoreLimit(m_cxyMax.cy, cy)) Relayout();
}

void CControlUI::SetFloatPercent(const TUIRectF& percent) {
  m_piFloatPercent = percent;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool floating) {
  if (m_bFloat == floating) return;
  m_bFloat = floating;
  NeedParentUpdate();
}

void CControlUI::SetToolTip(std::u16string_view text) {
  m_style.toolTip.clear();
  for (size_t p = 0; p < text.size();) {
    if (text.substr(p, 3) == u"<n>") {
      m_style.toolTip += u"\r\n";
      p += 3;
    } else {
      m_style.toolTip += text[p++];
    }
  }
}

}  // namespace SkinUI
