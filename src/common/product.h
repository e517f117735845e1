// Fixed product texts shared by every part of the program.
#pragma once

namespace product {

inline constexpr char16_t kProductWord[] = u"Orvane";
inline constexpr char16_t kProgramFile[] = u"ORVUpdate.exe";
inline constexpr char16_t kDisplayName[] = u"奥凡";
inline constexpr char16_t kVersionText[] = u"1.0.0.0";
inline constexpr char16_t kMakerWord[] = u"Brightfen";
inline constexpr char16_t kProductKey[] = u"Folio";

}  // namespace product
