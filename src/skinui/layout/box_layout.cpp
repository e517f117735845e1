// The box layout in two passes: measure fixed and adjustable children, then
// place them with the shared remainder. "Main" runs along the axis, "cross"
// across it.
#include "skinui/layout/box_layout.h"

#include <algorithm>

#include "skinui/layout/layout_math.h"

namespace SkinUI {
namespace {

// Sizes, rectangles and limits read along one axis.
class CAxis {
 public:
  explicit CAxis(EBoxAxis axis) : m_vertical(axis == EBoxAxis::kVertical) {}

  int Main(TUISize s) const { return m_vertical ? s.cy : s.cx; }
  int Cross(TUISize s) const { return m_vertical ? s.cx : s.cy; }
  TUISize Size(int main, int cross) const { return m_vertical ? TUISize{cross, main} : TUISize{main, cross}; }
  int MainStart(const TUIRect& r) const { return m_vertical ? r.top : r.left; }
  int MainEnd(const TUIRect& r) const { return m_vertical ? r.bottom : r.right; }
  int CrossStart(const TUIRect& r) const { return m_vertical ? r.left : r.top; }
  int CrossEnd(const TUIRect& r) const { return m_vertical ? r.right : r.bottom; }
  int CrossPadding(const TUIRect& p) const { return CrossStart(p) + CrossEnd(p); }
  // The rectangle at main, cross of size (given as width and height).
  TUIRect Rect(int main, int cross, TUISize size) const {
    return m_vertical ? TUIRect{cross, main, cross + size.cx, main + size.cy}
                      : TUIRect{main, cross, main + size.cx, cross + size.cy};
  }
  int FixedMain(const TChildLimits& l) const { return m_vertical ? l.fixedHeight : l.fixedWidth; }
  int FixedCross(const TChildLimits& l) const { return m_vertical ? l.fixedWidth : l.fixedHeight; }
  int ClampMain(int size, const CControlUI& c) const {
    return m_vertical ? ClampSize(size, c.GetMinHeight(), c.GetMaxHeight())
                      : ClampSize(size, c.GetMinWidth(), c.GetMaxWidth());
  }
  int MinCross(const CControlUI& c) const { return m_vertical ? c.GetMinWidth() : c.GetMinHeight(); }
  int MaxCross(const CControlUI& c) const { return m_vertical ? c.GetMaxWidth() : c.GetMaxHeight(); }

 private:
  bool m_vertical;
};

bool IsInFlow(const CControlUI& item) { return item.IsVisible() && !item.IsFloat(); }

// What a child may take across the box: its fixed size, else its maximum,
// within the box less its padding.
int CrossLimit(const CAxis& a, const TChildLimits& l, TUISize avail) {
  return std::min(a.FixedCross(l), a.Cross(avail) - a.CrossPadding(l.padding));
}

// Sums of the first pass.
struct TBoxMeasure {
  int adjustables = 0;  // children estimated at size 0 along the axis
  int fixed = 0;        // the others' sizes, with every padding and gap
};

TBoxMeasure Measure(const std::vector<CControlUI*>& items, const CAxis& a, TUISize avail, int gap) {
  TBoxMeasure m;
  int measured = 0;
  for (CControlUI* item : items) {
    if (!IsInFlow(*item)) continue;
    const TChildLimits l = LimitsOf(*item);
    const TUISize asked = a.Size(std::min(a.FixedMain(l), a.Main(avail)), CrossLimit(a, l, avail));
    int main = a.Main(item->EstimateSize(asked));
    if (main == 0) {
      ++m.adjustables;
    } else {
      main = a.ClampMain(main, *item);
    }
    m.fixed += a.MainStart(l.padding) + main + a.MainEnd(l.padding);
    ++measured;
  }
  if (measured > 1) m.fixed += gap * (measured - 1);
  return m;
}

// A child's size across the box: its maximum, or the box less its padding,
// within limit and not below its minimum.
int CrossSize(const CAxis& a, const CControlUI& item, int limit, TUISize avail, const TUIRect& padding) {
  int size = a.MaxCross(item);
  if (size == 0) size = a.Cross(avail) - a.CrossPadding(padding);
  return std::max(std::min(std::max(size, 0), limit), a.MinCross(item));
}

int CrossPosition(const CAxis& a, const TUIRect& rc, const TUIRect& padding, int size, EBoxAlign align) {
  if (align == EBoxAlign::kCenter) return (a.CrossStart(rc) + a.CrossEnd(rc)) / 2 - size / 2;
  if (align == EBoxAlign::kEnd) return a.CrossEnd(rc) - a.CrossEnd(padding) - size;
  return a.CrossStart(rc) + a.CrossStart(padding);
}

}  // namespace

void LayOutBox(const std::vector<CControlUI*>& items, const TUIRect& rc, EBoxAxis axis, EBoxAlign align,
               int gap) {
  const CAxis a(axis);
  const TUISize avail{rc.Width(), rc.Height()};
  const TBoxMeasure m = Measure(items, a, avail, gap);
  const int expand = m.adjustables > 0 ? std::max(0, (a.Main(avail) - m.fixed) / m.adjustables) : 0;
  int pos = a.MainStart(rc), remaining = a.Main(avail), fixedRemaining = m.fixed, placed = 0;
  for (CControlUI* item : items) {
    if (!IsInFlow(*item)) continue;
    const TChildLimits l = LimitsOf(*item);
    const int before = a.MainStart(l.padding), after = a.MainEnd(l.padding);
    remaining -= before;
    const int limit = CrossLimit(a, l, avail);
    int main = a.Main(item->EstimateSize(a.Size(std::min(a.FixedMain(l), remaining), limit)));
    if (main == 0) {
      // The last adjustable child takes what the fixed ones after it leave.
      main = a.ClampMain(++placed == m.adjustables ? std::max(0, remaining - after - fixedRemaining) : expand,
                         *item);
    } else {
      main = a.ClampMain(main, *item);
      fixedRemaining -= before + main + after;
    }
    fixedRemaining -= gap;
    const int cross = CrossSize(a, *item, limit, avail, l.padding);
    item->SetPos(a.Rect(pos + before, CrossPosition(a, rc, l.padding, cross, align), a.Size(main, cross)));
    pos += before + main + after + gap;
    remaining -= main + after + gap;
  }
}

}  // namespace SkinUI
