// The column: the box layout along the vertical axis.
#include "skinui/layout/vertical_layout.h"

#include "skinui/layout/box_layout.h"

namespace SkinUI {

std::u16string_view CVerticalLayoutUI::GetClass() const { return u"VerticalLayout"; }

void* CVerticalLayoutUI::GetInterface(std::u16string_view name) {
  if (name == u"VerticalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::LayOutChildren(const TUIRect& client) {
  const EBoxAlign align = m_iChildAlign == 1   ? EBoxAlign::kCenter
                          : m_iChildAlign == 2 ? EBoxAlign::kEnd
                                               : EBoxAlign::kStart;
  LayOutBox(m_items, client, EBoxAxis::kVertical, align, GetChildPadding());
}

}  // namespace SkinUI
