// The row: the box layout along the horizontal axis.
#include "skinui/layout/horizontal_layout.h"

#include "skinui/layout/box_layout.h"

namespace SkinUI {

std::u16string_view CHorizontalLayoutUI::GetClass() const { return u"HorizontalLayout"; }

void* CHorizontalLayoutUI::GetInterface(std::u16string_view name) {
  if (name == u"HorizontalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::LayOutChildren(const TUIRect& client) {
  const EBoxAlign align = m_iChildVAlign == 4   ? EBoxAlign::kCenter
                          : m_iChildVAlign == 8 ? EBoxAlign::kEnd
                                                : EBoxAlign::kStart;
  LayOutBox(m_items, client, EBoxAxis::kHorizontal, align, GetChildPadding());
}

}  // namespace SkinUI
