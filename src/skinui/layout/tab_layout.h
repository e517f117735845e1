// Pages of which exactly one (the selection) is shown; page changes are
// announced with "tabselect".
#pragma once

#include "skinui/layout/container.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
 public:
  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

  // The first visible page added becomes the selection; later ones are hidden.
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  // Removing the selected page selects page 0 (or nothing when none is left).
  bool Remove(CControlUI* control) override;
  void RemoveAll() override;

  int GetCurSel() const { return m_iCurSel; }
  // Shows page index and hides the others; false when out of range, true
  // without effect when already selected. With notify, sends "tabselect"
  // (new index, old index).
  virtual bool SelectItem(int index, bool notify = true);
  // Selects control when it is a page.
  bool SelectItem(CControlUI* control, bool notify = true);

  // "selectedid" selects a page; the rest are container attributes.
  void SetAttribute(std::u16string_view name, std::u16string_view value) override;

 protected:
  // The selected page fills client less its padding.
  void LayOutChildren(const TUIRect& client) override;

 private:
  // Adopts a just-inserted page at index as selection or hides it.
  void AdoptPage(CControlUI* control, int index);

  int m_iCurSel = -1;
};

}  // namespace SkinUI
