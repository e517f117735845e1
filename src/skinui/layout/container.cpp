// Children, settings and stacking placement of the plain container.
#include "skinui/layout/container.h"

#include <algorithm>

#include "skinui/control/attribute_values.h"
#include "skinui/control/ui_scale.h"
#include "skinui/layout/layout_math.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
  // The container is going away, so nothing would be left to lay out: the
  // children are destroyed at once rather than through delayed cleanup.
  std::vector<CControlUI*> items;
  items.swap(m_items);
  if (m_bAutoDestroy) {
    for (CControlUI* item : items) delete item;
  }
}

std::u16string_view CContainerUI::GetClass() const { return u"Container"; }

void* CContainerUI::GetInterface(std::u16string_view name) {
  if (name == u"IContainer") return static_cast<IContainerUI*>(this);
  if (name == u"Container") return this;
  return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_items[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
  int from = GetItemIndex(control);
  if (from < 0 || index < 0 || index >= GetCount()) return false;
  m_items.erase(m_items.begin() + from);
  m_items.insert(m_items.begin() + index, control);
  NeedUpdate();
  return true;
}

bool CContainerUI::InsertChild(CControlUI* control, int index) {
  if (!control || index < 0 || index > GetCount()) return false;
  if (GetManager()) {
    GetManager()->InitControls(control, this);
  } else {
    control->SetManager(nullptr, this, false);  // keeps the parent link for layout without a window
  }
  if (IsVisible()) {
    NeedUpdate();
  } else {
    control->SetInternVisible(false);
  }
  m_items.insert(m_items.begin() + index, control);
  return true;
}

bool CContainerUI::Add(CControlUI* control) { return InsertChild(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) { return InsertChild(control, index); }

void CContainerUI::DestroyChild(CControlUI* control) {
  if (!m_bAutoDestroy) {
    control->SetManager(control->GetManager(), nullptr, false);  // the caller has it back, unparented
    return;
  }
  if (m_bDelayedDestroy && GetManager()) {
    GetManager()->AddDelayedCleanup(control);
  } else {
    delete control;
  }
}

bool CContainerUI::Remove(CControlUI* control) {
  int index = GetItemIndex(control);
  if (index < 0) return false;
  NeedUpdate();
  m_items.erase(m_items.begin() + index);
  DestroyChild(control);
  return true;
}

bool CContainerUI::RemoveAt(int index) { return Remove(GetItemAt(index)); }

void CContainerUI::RemoveAll() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* item : items) DestroyChild(item);
  NeedUpdate();
}

TUIRect CContainerUI::GetInset() const { return ScaleRect(m_rcInset); }

void CContainerUI::SetInset(const TUIRect& inset) {
  m_rcInset = inset;
  NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return Scale(m_iChildPadding); }

void CContainerUI::SetChildPadding(int padding) {
  m_iChildPadding = padding;
  NeedUpdate();
}

void CContainerUI::SetChildAlign(int align) { m_iChildAlign = align; }

void CContainerUI::SetChildVAlign(int align) { m_iChildVAlign = align; }

void CContainerUI::OnVisibilityChanged() {
  for (CControlUI* item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(IControlHost* manager, CControlUI* parent, bool init) {
  for (CControlUI* item : m_items) item->SetManager(manager, this, init);
  CControlUI::SetManager(manager, parent, init);
}

TUIRect CContainerUI::GetClientRect() const { return Deflate(GetPos(), GetInset()); }

TUISize CContainerUI::GetUnscaledSize() const {
  if (!GetManager()) return {GetWidth(), GetHeight()};
  int scale = GetManager()->GetDPIScale();
  return {UnscaleSize(GetWidth(), scale), UnscaleSize(GetHeight(), scale)};
}

void CContainerUI::SetPos(const TUIRect& rc) {
  CControlUI::SetPos(rc);
  if (m_items.empty()) return;
  for (int i = 0; i < GetCount(); ++i) SetFloatPos(i);  // passes over the others
  LayOutChildren(GetClientRect());
}

void CContainerUI::LayOutChildren(const TUIRect& client) {
  for (CControlUI* item : m_items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    int w = ClampSize(client.Width(), item->GetMinWidth(), item->GetMaxWidth());
    int h = ClampSize(client.Height(), item->GetMinHeight(), item->GetMaxHeight());
    item->SetPos({client.left, client.top, client.left + w, client.top + h});
  }
}

void CContainerUI::SetFloatPos(int index) {
  CControlUI* item = GetItemAt(index);
  if (!item || !item->IsVisible() || !item->IsFloat()) return;
  // The child's SetPos takes a rectangle relative to this container in
  // 96-DPI units, so the percentages apply to the unscaled size.
  TUISize size = GetUnscaledSize();
  TUISize xy = item->GetFixedXY();
  int w = item->GetFixedWidth(true), h = item->GetFixedHeight(true);
  TUIRectF pct = item->GetFloatPercent();
  item->SetPos({static_cast<int>(size.cx * pct.left) + xy.cx, static_cast<int>(size.cy * pct.top) + xy.cy,
                static_cast<int>(size.cx * pct.right) + xy.cx + w,
                static_cast<int>(size.cy * pct.bottom) + xy.cy + h});
}

void CContainerUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (name == u"inset") {
    SetInset(ParseRectValue(value));
  } else if (name == u"childpadding") {
    SetChildPadding(ParseIntValue(value));
  } else if (name == u"childalign") {
    if (value == u"left") SetChildAlign(0);
    if (value == u"center") SetChildAlign(1);
    if (value == u"right") SetChildAlign(2);
  } else if (name == u"childvalign") {
    if (value == u"top") SetChildVAlign(0);
    if (value == u"vcenter") SetChildVAlign(4);
    if (value == u"bottom") SetChildVAlign(8);
  } else if (name == u"mousechild") {
    SetMouseChildEnabled(ParseBoolValue(value));
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

}  // namespace SkinUI
