// The process-wide part of the paint managers: shared fonts, default font,
// styles and default attribute lists under one lock, the list of managers,
// and the colour adjustment every control may apply.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "skinui/core/render_host.h"

namespace SkinUI {

class CUIPaintManager;

struct TUISharedResources {
  // Guards the four shared tables below; the manager list and the colour
  // adjustment belong to the user-interface thread.
  std::mutex lock;
  std::map<int, std::unique_ptr<TUIFontInfo>> fonts;
  std::unique_ptr<TUIFontInfo> defaultFont;
  std::unordered_map<std::u16string, std::u16string> styles;
  std::unordered_map<std::u16string, std::u16string> defaultAttributes;

  std::vector<CUIPaintManager*> managers;
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
};

TUISharedResources& SharedResources();

// Face name limit of a logical font (the terminator takes the last place).
inline constexpr size_t kMaxFaceName = 31;

}  // namespace SkinUI
