#include "zip/zip_names.h"

#include <algorithm>
#include <array>

#include "platform/system/codepage.h"

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::string ToEntryName(std::u16string_view name) {
  std::u16string slashed(name);
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  return platform::WideToAnsi(slashed);
}

bool IsStoredByName(std::string_view entryName) {
  static constexpr std::array<std::string_view, 8> kStored = {".Z",   ".zip", ".zoo", ".arc",
                                                              ".lzh", ".arj", ".gz",  ".tgz"};
  const size_t dot = entryName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = entryName.substr(dot);
  return std::any_of(kStored.begin(), kStored.end(),
                     [&](std::string_view s) { return EqualsIgnoreCase(extension, s); });
}
