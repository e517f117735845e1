// Containers own child controls and place them. CContainerUI stacks its
// children on one rectangle; the vertical, horizontal and tab layouts derive
// from it. The list operations are reached through IContainerUI
// (GetInterface(u"IContainer")).
#pragma once

#include <vector>

#include "skinui/control/control.h"

namespace SkinUI {

class IContainerUI {
 public:
  virtual ~IContainerUI() = default;
  // The child at index, or null when out of range.
  virtual CControlUI* GetItemAt(int index) const = 0;
  // The index of control among the children, -1 when it is none of them.
  virtual int GetItemIndex(CControlUI* control) const = 0;
  // Moves a child to index; false when it is not a child or index is out of range.
  virtual bool SetItemIndex(CControlUI* control, int index) = 0;
  virtual int GetCount() const = 0;
  // Takes ownership of control and appends it (attached to the manager when
  // the container has one); false for null.
  virtual bool Add(CControlUI* control) = 0;
  // The same, inserting at index; false for null or an index beyond the count.
  virtual bool AddAt(CControlUI* control, int index) = 0;
  // Removes a child (destroying it when auto-destroy is on, through the
  // manager's delayed cleanup when delayed-destroy is on); false when it is
  // not a child.
  virtual bool Remove(CControlUI* control) = 0;
  virtual bool RemoveAt(int index) = 0;
  virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
 public:
  CContainerUI();
  // Destroys every child as RemoveAll does.
  ~CContainerUI() override;

  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

  CControlUI* GetItemAt(int index) const override;
  int GetItemIndex(CControlUI* control) const override;
  bool SetItemIndex(CControlUI* control, int index) override;
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

  // Inner margin between the item rectangle and the children (scaled rectangle).
  virtual TUIRect GetInset() const;
  virtual void SetInset(const TUIRect& inset);
  // Gap between consecutive children of a vertical or horizontal layout (scaled).
  virtual int GetChildPadding() const;
  virtual void SetChildPadding(int padding);
  // 0 left, 1 centre, 2 right (in a vertical layout).
  virtual int GetChildAlign() const { return m_iChildAlign; }
  virtual void SetChildAlign(int align);
  // 0 top, 4 centre, 8 bottom (in a horizontal layout).
  virtual int GetChildVAlign() const { return m_iChildVAlign; }
  virtual void SetChildVAlign(int align);
  virtual bool IsAutoDestroy() const { return m_bAutoDestroy; }
  virtual void SetAutoDestroy(bool on) { m_bAutoDestroy = on; }
  virtual bool IsDelayedDestroy() const { return m_bDelayedDestroy; }
  virtual void SetDelayedDestroy(bool on) { m_bDelayedDestroy = on; }
  virtual bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
  virtual void SetMouseChildEnabled(bool on = true) { m_bMouseChildEnabled = on; }
  // Places the floating child at index from its fixed position, fixed size and
  // float percentages.
  virtual void SetFloatPos(int index);

  void SetManager(IControlHost* manager, CControlUI* parent, bool init = true) override;
  // Places the floating children by their own rules, then the others with
  // LayOutChildren.
  void SetPos(const TUIRect& rc) override;
  void SetAttribute(std::u16string_view name, std::u16string_view value) override;
  // Visible/enabled/hit-test like a control; kFindMeFirst offers the
  // container before its children; children last-to-first with kFindTopFirst.
  CControlUI* FindControl(FindControlProc proc, void* data, uint32_t flags) override;
  // The container, then every visible child that meets paint, under two clips.
  void DoPaint(CUICanvas& dc, const TUIRect& paint) override;

 protected:
  // Every child takes the container's visibility as the one imposed on it.
  void OnVisibilityChanged() override;
  // Item rectangle less the scaled inset (children placement and hit tests).
  TUIRect GetClientRect() const;
  // Parent size in 96-DPI units, which float percentages apply to.
  TUISize GetUnscaledSize() const;
  // Places the visible, non-floating children inside client (the item less
  // the inset); here each fills client within its limits.
  virtual void LayOutChildren(const TUIRect& client);
  // Destroys a removed child as the auto/delayed-destroy settings say.
  void DestroyChild(CControlUI* control);
  // Gives a new child to the manager and its visibility, then inserts it.
  bool InsertChild(CControlUI* control, int index);

  std::vector<CControlUI*> m_items;
  TUIRect m_rcInset;
  int m_iChildPadding = 0;
  int m_iChildAlign = 0;
  int m_iChildVAlign = 0;
  bool m_bAutoDestroy = true;
  bool m_bDelayedDestroy = true;
  bool m_bMouseChildEnabled = true;
};

}  // namespace SkinUI
