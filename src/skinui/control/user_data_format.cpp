#include "skinui/control/user_data_format.h"

#include "common/text.h"

namespace SkinUI {
namespace {

std::u16string ArgText(const TFormatArg& arg) {
  if (const auto* text = std::get_if<std::u16string>(&arg)) return *text;
  return ToU16(std::get<long long>(arg));
}

}  // namespace

std::u16string FormatUserData(std::u16string_view format, const std::vector<TFormatArg>& args) {
  std::u16string out;
  size_t next = 0;
  for (size_t p = 0; p < format.size(); ++p) {
    char16_t c = format[p];
    char16_t directive = p + 1 < format.size() ? format[p + 1] : 0;
    if (c != u'%' || (directive != u's' && directive != u'd' && directive != u'%')) {
      out += c;
      continue;
    }
    ++p;
    if (directive == u'%') {
      out += u'%';
    } else if (next < args.size()) {
      out += ArgText(args[next++]);
    }
  }
  return out;
}

}  // namespace SkinUI
