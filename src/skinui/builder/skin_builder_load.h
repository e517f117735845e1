// How the skin builder reads a skin into a markup document.
#pragma once

#include <string_view>

#include "skinui/markup/markup.h"

namespace SkinUI {

// Loads skin into markup: a text beginning with '<' as it is, else the skin
// file of that name (or, with a resource type, the module resource whose
// decimal identifier skin is) decoded as UTF-8. False when it cannot be read
// or parsed.
[[nodiscard]] bool LoadSkinMarkup(CUIMarkup& markup, std::u16string_view skin, std::u16string_view type);

}  // namespace SkinUI
