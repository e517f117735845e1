// Page selection and placement of the tab layout.
#include "skinui/layout/tab_layout.h"

#include <algorithm>

#include "skinui/control/attribute_values.h"
#include "skinui/layout/layout_math.h"

namespace SkinUI {

std::u16string_view CTabLayoutUI::GetClass() const { return u"TabLayout"; }

void* CTabLayoutUI::GetInterface(std::u16string_view name) {
  if (name == u"TabLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CTabLayoutUI::AdoptPage(CControlUI* control, int index) {
  if (m_iCurSel == -1 && control->IsVisible()) {
    m_iCurSel = index;
    return;
  }
  // A page inserted before the selection moves it along.
  if (m_iCurSel >= index) ++m_iCurSel;
  control->SetVisible(false);
}

bool CTabLayoutUI::Add(CControlUI* control) {
  if (!CContainerUI::Add(control)) return false;
  AdoptPage(control, GetCount() - 1);
  return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  AdoptPage(control, index);
  return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
  int index = GetItemIndex(control);
  if (!CContainerUI::Remove(control)) return false;
  if (index == m_iCurSel) {
    m_iCurSel = GetCount() == 0 ? -1 : 0;
    if (m_iCurSel == 0) m_items[0]->SetVisible(true);
    NeedParentUpdate();
  } else if (index < m_iCurSel) {
    --m_iCurSel;
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  m_iCurSel = -1;
  CContainerUI::RemoveAll();
  NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index, bool notify) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == m_iCurSel) return true;
  int old = m_iCurSel;
  m_iCurSel = index;
  for (int i = 0; i < GetCount(); ++i) {
    if (i == index) {
      m_items[i]->SetVisible(true);
      m_items[i]->SetFocus();
    } else {
      m_items[i]->SetVisible(false);
    }
  }
  NeedParentUpdate();
  if (GetManager()) {
    GetManager()->SetNextTabControl();
    if (notify) SendNotify(u"tabselect", static_cast<uintptr_t>(index), old);
  }
  return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool notify) {
  int index = GetItemIndex(control);
  return index >= 0 && SelectItem(index, notify);
}

void CTabLayoutUI::LayOutChildren(const TUIRect& client) {
  CControlUI* page = GetItemAt(m_iCurSel);
  if (!page || !page->IsVisible() || page->IsFloat()) return;
  TUIRect area = Deflate(client, page->GetPadding());
  TUISize s = page->EstimateSize({area.Width(), area.Height()});
  if (s.cx == 0) s.cx = std::max(0, area.Width());
  if (s.cy == 0) s.cy = std::max(0, area.Height());
  s.cx = ClampSize(s.cx, page->GetMinWidth(), page->GetMaxWidth());
  s.cy = ClampSize(s.cy, page->GetMinHeight(), page->GetMaxHeight());
  page->SetPos({area.left, area.top, area.left + s.cx, area.top + s.cy});
}

void CTabLayoutUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (name == u"selectedid") {
    SelectItem(ParseIntValue(value));
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

}  // namespace SkinUI
