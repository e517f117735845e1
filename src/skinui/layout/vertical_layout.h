// A column: fixed-size children keep their height, adjustable ones (estimated
// height 0) share what is left, the last of them taking the remainder.
#pragma once

#include "skinui/layout/container.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
 public:
  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;
  // Places the children top to bottom inside the item less the inset.
  void SetPos(const TUIRect& rc) override;
};

}  // namespace SkinUI
