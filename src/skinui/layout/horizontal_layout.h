// A row: the vertical layout with the axes exchanged.
#pragma once

#include "skinui/layout/container.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
 public:
  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

 protected:
  // Places the children left to right inside client.
  void LayOutChildren(const TUIRect& client) override;
};

}  // namespace SkinUI
