// A paint manager's control tree as screen readers read it: the window's
// element (its title) with every visible control that describes itself under
// it, in tree order. Layout and decoration controls describe nothing; what
// they hold is read in their place, so the tree is two levels deep.
//
// Elements are found by the control's accessible id on every call: an
// element whose control is gone, or whose window is gone, answers that it
// does not exist.
#pragma once

#include <vector>

#include "platform/window/accessibility.h"

namespace SkinUI {

class CControlUI;
class CUIPaintManager;

class CUIAccessibleContent final : public platform::IAccessibleContent {
 public:
  explicit CUIAccessibleContent(CUIPaintManager& manager) : m_manager(manager) {}

  bool Describe(int32_t id, platform::TAccessibleElement* element) override;
  bool HasExisted(int32_t id) override;
  std::vector<int32_t> GetChildren(int32_t id) override;
  int32_t GetParent(int32_t id) override;
  int32_t GetFocus() override;
  int32_t HitTest(platform::POINT client) override;
  bool DoDefaultAction(int32_t id) override;
  bool TakeFocus(int32_t id) override;

  // The control with that accessible id when it describes itself; null when
  // there is none (any more).
  CControlUI* FindDescribed(int32_t id) const;

 private:
  bool DescribeWindow(platform::TAccessibleElement* element) const;

  CUIPaintManager& m_manager;
};

}  // namespace SkinUI
