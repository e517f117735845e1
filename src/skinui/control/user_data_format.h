// The wide printf of a label's userdata, which skins use as the format of the
// label's dynamic text: "%s" takes a string, "%d" an integer, "%%" gives "%".
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace SkinUI {

using TFormatArg = std::variant<std::u16string, long long>;

// Fills format with args in order. A "%s" given an integer writes its digits,
// a "%d" given a string writes the string; a conversion without an argument
// writes nothing; any other '%' sequence is copied as written.
std::u16string FormatUserData(std::u16string_view format, const std::vector<TFormatArg>& args);

}  // namespace SkinUI
