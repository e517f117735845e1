// The row layout in two passes: measure fixed and adjustable children, then
// place them with the shared remainder.
#include "skinui/layout/horizontal_layout.h"

#include <algorithm>

#include "skinui/layout/layout_math.h"

namespace SkinUI {
std::u16string_view CHorizontalLayoutUI::GetClass() const { return u"HorizontalLayout"; }

void* CHorizontalLayoutUI::GetInterface(std::u16string_view name) {
  if (name == u"HorizontalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const TUIRect& given) {
  CControlUI::SetPos(given);
  TUIRect rc = Deflate(m_rcItem, GetInset());
  if (m_items.empty()) return;
  const TUISize avail{rc.Width(), rc.Height()};
  const int gap = GetChildPadding();

  int adjustables = 0, fixedWidth = 0, measured = 0;
  for (CControlUI* item : m_items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    TChildLimits l = LimitsOf(*item);
    const TUIRect& p = l.padding;
    TUISize s = item->EstimateSize({std::min(l.fixedWidth, avail.cx),
                                    std::min(l.fixedHeight, avail.cy - p.top - p.bottom)});
    if (s.cx == 0) {
      ++adjustables;
    } else {
      s.cx = ClampSize(s.cx, item->GetMinWidth(), item->GetMaxWidth());
    }
    fixedWidth += p.left + s.cx + p.right;
    ++measured;
  }
  if (measured > 1) fixedWidth += gap * (measured - 1);
  int expand = adjustables > 0 ? std::max(0, (avail.cx - fixedWidth) / adjustables) : 0;

  int x = rc.left, remaining = avail.cx, fixedRemaining = fixedWidth, placed = 0;
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* item = m_items[i];
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    TChildLimits l = LimitsOf(*item);
    const TUIRect& p = l.padding;
    remaining -= p.left;
    int ch = std::min(l.fixedHeight, avail.cy - p.top - p.bottom);
    TUISize s = item->EstimateSize({std::min(l.fixedWidth, remaining), ch});
    if (s.cx == 0) {
      // The last adjustable child takes what the fixed ones to its right leave.
      s.cx = ++placed == adjustables ? std::max(0, remaining - p.right - fixedRemaining) : expand;
      s.cx = ClampSize(s.cx, item->GetMinWidth(), item->GetMaxWidth());
    } else {
      s.cx = ClampSize(s.cx, item->GetMinWidth(), item->GetMaxWidth());
      fixedRemaining -= p.right + s.cx + p.left;
    }
    fixedRemaining -= gap;

    // A child without a fixed height spans the available height.
    int h = item->GetMaxHeight();
    if (h == 0) h = avail.cy - p.top - p.bottom;
    h = std::max(std::min(std::max(h, 0), ch), item->GetMinHeight());
    int top = rc.top + p.top;
    if (m_iChildVAlign == 4) top = (rc.top + rc.bottom) / 2 - h / 2;
    if (m_iChildVAlign == 8) top = rc.bottom - p.bottom - h;
    item->SetPos({x + p.left, top, x + p.left + s.cx, top + h});
    x += p.left + s.cx + p.right + gap;
    remaining -= s.cx + p.right + gap;
  }
}

}  // namespace SkinUI
