// A row: the vertical layout with the axes exchanged.
#pragma once

#include "skinui/layout/container.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
 public:
  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;
  // Places the children left to right inside the item less the inset.
  void SetPos(const TUIRect& rc) override;
};

}  // namespace SkinUI
