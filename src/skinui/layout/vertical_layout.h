// A column: fixed-size children keep their height, adjustable ones (estimated
// height 0) share what is left, the last of them taking the remainder.
#pragma once

#include "skinui/layout/container.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
 public:
  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

 protected:
  // Places the children top to bottom inside client.
  void LayOutChildren(const TUIRect& client) override;
};

}  // namespace SkinUI
