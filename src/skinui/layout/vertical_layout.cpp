// The column layout in two passes: measure fixed and adjustable children,
// then place them with the shared remainder.
#include "skinui/layout/vertical_layout.h"

#include <algorithm>

#include "skinui/layout/layout_math.h"

namespace SkinUI {
namespace {

// Sums of the first pass.
struct TColumnMeasure {
  int adjustables = 0;  // k
  int fixedHeight = 0;  // F, with the paddings and the gaps
};

}  // namespace

std::u16string_view CVerticalLayoutUI::GetClass() const { return u"VerticalLayout"; }

void* CVerticalLayoutUI::GetInterface(std::u16string_view name) {
  if (name == u"VerticalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const TUIRect& given) {
  CControlUI::SetPos(given);
  TUIRect rc = Deflate(m_rcItem, GetInset());
  if (m_items.empty()) return;
  const TUISize avail{rc.Width(), rc.Height()};
  const int gap = GetChildPadding();

  TColumnMeasure m;
  int measured = 0;
  for (CControlUI* item : m_items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    TChildLimits l = LimitsOf(*item);
    const TUIRect& p = l.padding;
    TUISize s = item->EstimateSize({std::min(l.fixedWidth, avail.cx - p.left - p.right),
                                    std::min(l.fixedHeight, avail.cy)});
    if (s.cy == 0) {
      ++m.adjustables;
    } else {
      s.cy = ClampSize(s.cy, item->GetMinHeight(), item->GetMaxHeight());
    }
    m.fixedHeight += p.top + p.bottom + s.cy;
    ++measured;
  }
  if (measured > 1) m.fixedHeight += gap * (measured - 1);
  int expand = m.adjustables > 0 ? std::max(0, (avail.cy - m.fixedHeight) / m.adjustables) : 0;

  int y = rc.top, remaining = avail.cy, fixedRemaining = m.fixedHeight, placed = 0;
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* item = m_items[i];
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    TChildLimits l = LimitsOf(*item);
    const TUIRect& p = l.padding;
    remaining -= p.top;
    int cw = std::min(l.fixedWidth, avail.cx - p.left - p.right);
    TUISize s = item->EstimateSize({cw, std::min(l.fixedHeight, remaining)});
    if (s.cy == 0) {
      // The last adjustable child takes what the fixed ones below leave.
      s.cy = ++placed == m.adjustables ? std::max(0, remaining - p.bottom - fixedRemaining) : expand;
      s.cy = ClampSize(s.cy, item->GetMinHeight(), item->GetMaxHeight());
    } else {
      s.cy = ClampSize(s.cy, item->GetMinHeight(), item->GetMaxHeight());
      fixedRemaining -= p.bottom + s.cy + p.top;
    }
    fixedRemaining -= gap;

    // A child without a fixed width spans the available width.
    int w = item->GetMaxWidth();
    if (w == 0) w = avail.cx - p.left - p.right;
    w = std::max(std::min(std::max(w, 0), cw), item->GetMinWidth());
    int left = rc.left + p.left;
    if (m_iChildAlign == 1) left = (rc.left + rc.right) / 2 - w / 2;
    if (m_iChildAlign == 2) left = rc.right - p.right - w;
    item->SetPos({left, y + p.top, left + w, y + p.top + s.cy});
    y += p.top + s.cy + p.bottom + gap;
    remaining -= s.cy + p.bottom + gap;
  }
}

}  // namespace SkinUI
