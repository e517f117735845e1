#include "skinui/control/attribute_values.h"

#include <cstdlib>
#include <string>

namespace SkinUI {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Skips to the character after the next comma (or to the end).
size_t AfterComma(std::u16string_view text, size_t pos) {
  while (pos < text.size() && text[pos] != u',') ++pos;
  return pos < text.size() ? pos + 1 : pos;
}

double ParseFraction(std::u16string_view text, size_t* pos) {
  std::string ascii;  // fractions are ASCII; strtod wants a narrow string
  size_t p = *pos;
  while (p < text.size() && IsBlank(text[p])) ++p;
  while (p < text.size() && text[p] < 0x80 && text[p] != u',') ascii += static_cast<char>(text[p++]);
  *pos = p;
  return std::strtod(ascii.c_str(), nullptr);
}

}  // namespace

int ParseIntValue(std::u16string_view text, size_t* end) {
  size_t p = 0;
  while (p < text.size() && IsBlank(text[p])) ++p;
  bool negative = p < text.size() && text[p] == u'-';
  if (p < text.size() && (text[p] == u'-' || text[p] == u'+')) ++p;
  long long value = 0;
  for (; p < text.size() && text[p] >= u'0' && text[p] <= u'9'; ++p) {
    if (value <= 0x7FFFFFFF) value = value * 10 + (text[p] - u'0');  // saturate, never overflow
  }
  if (end) *end = p;
  value = std::min<long long>(value, 0x7FFFFFFF);
  return static_cast<int>(negative ? -value : value);
}

TUISize ParseSizeValue(std::u16string_view text) {
  size_t end = 0;
  TUISize size;
  size.cx = ParseIntValue(text, &end);
  size_t next = AfterComma(text, end);
  if (next > end) size.cy = ParseIntValue(text.substr(next));
  return size;
}

TUIRectF ParseFractionsValue(std::u16string_view text) {
  double v[4] = {0, 0, 0, 0};
  size_t pos = 0;
  for (int i = 0; i < 4 && pos < text.size(); ++i) {
    v[i] = ParseFraction(text, &pos);
    pos = AfterComma(text, pos);
  }
  return {v[0], v[1], v[2], v[3]};
}

}  // namespace SkinUI
