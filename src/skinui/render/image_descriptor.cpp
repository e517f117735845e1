#include <string>

#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

long ParseLong(std::u16string_view text, size_t* pos, int base) {
  while (*pos < text.size() && IsBlank(text[*pos])) ++(*pos);
  bool negative = false;
  if (*pos < text.size() && (text[*pos] == u'-' || text[*pos] == u'+')) negative = text[(*pos)++] == u'-';
  long long value = 0;
  for (; *pos < text.size(); ++(*pos)) {
    char16_t c = text[*pos];
    int digit = c >= u'0' && c <= u'9'                 ? c - u'0'
                : base == 16 && c >= u'a' && c <= u'f' ? c - u'a' + 10
                : base == 16 && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                       : -1;
    if (digit < 0) break;
    if (value < (1LL << 40)) value = value * base + digit;
  }
  return static_cast<long>(negative ? -value : value);
}

// The settings of the image being described and the host to draw with.
struct TDescriptorState {
  CUICanvas& dc;
  IUIRenderHost* host;
  const TUIRect& item;
  const TUIRect& paint;
  std::u16string name;
  std::u16string type;
  uint32_t mask = 0;
  TDrawImageParams params;
  bool named = false;
};

void DrawNamed(TDescriptorState& st) {
  if (st.name.empty()) return;
  const TUIImageInfo* image = st.host->GetImageEx(st.name, st.type, st.mask);
  if (!image) return;
  TDrawImageParams params = st.params;
  TUIRect& s = params.source;
  if (s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0) s = {0, 0, image->nX, image->nY};
  s.right = std::min(s.right, image->nX);
  s.bottom = std::min(s.bottom, image->nY);
  if (!Meets(params.dest, st.item) || !Meets(params.dest, st.paint)) return;
  CUIRenderEngine::DrawImage(st.dc, image->bitmap, st.paint, params, image->alphaChannel);
}

TUIRect ScaledDest(const TUIRect& item, const TUIRect& v, int scale) {
  return {item.left + ScaleByDpi(v.left, scale), item.top + ScaleByDpi(v.top, scale),
          std::min(item.right, item.left + ScaleByDpi(v.right, scale)),
          std::min(item.bottom, item.top + ScaleByDpi(v.bottom, scale))};
}

void ApplyPair(TDescriptorState& st, std::u16string_view key, std::u16string_view value) {
  if (key == u"file" || key == u"res") {
    if (st.named) DrawNamed(st);
    st.name = value;
    st.named = true;
  } else if (key == u"restype") {
    st.type = value;
  } else if (key == u"dest") {
    st.params.dest = ScaledDest(st.item, ParseRectValue(value), st.host->GetDPIScale());
  } else if (key == u"source") {
    st.params.source = ParseRectValue(value);
  } else if (key == u"corner") {
    st.params.corners = ParseRectValue(value);
  } else if (key == u"mask") {
    st.mask = ParseColorValue(value);
  } else if (key == u"fade") {
    size_t pos = 0;
    st.params.fade = static_cast<uint8_t>(std::clamp<long>(ParseLong(value, &pos, 10), 0, 255));
  } else if (key == u"hole") {
    st.params.hole = value == u"true";
  } else if (key == u"xtiled") {
    st.params.xtiled = value == u"true";
  } else if (key == u"ytiled") {
    st.params.ytiled = value == u"true";
  }
}

// Scans key='value' pairs; returns how many were applied. A malformed pair
// ends the scan.
int ScanPairs(TDescriptorState& st, std::u16string_view text) {
  size_t p = 0;
  int pairs = 0;
  for (;;) {
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size()) break;
    size_t keyStart = p;
    while (p < text.size() && text[p] != u'=' && !IsBlank(text[p])) ++p;
    std::u16string_view key = text.substr(keyStart, p - keyStart);
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size() || text[p++] != u'=') break;
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size() || text[p++] != u'\'') break;
    size_t close = text.find(u'\'', p);
    if (close == std::u16string_view::npos) break;
    std::u16string_view value = text.substr(p, close - p);
    p = close + 1;
    ++pairs;
    if (!value.empty()) ApplyPair(st, key, value);
    if (p >= text.size() || !IsBlank(text[p])) break;
    ++p;
  }
  return pairs;
}

}  // namespace

TUIRect ParseRectValue(std::u16string_view text) {
  long v[4] = {0, 0, 0, 0};
  size_t pos = 0;
  for (int i = 0; i < 4 && pos <= text.size(); ++i) {
    v[i] = ParseLong(text, &pos, 10);
    while (pos < text.size() && text[pos] != u',') ++pos;
    ++pos;
  }
  return {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])};
}

uint32_t ParseColorValue(std::u16string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos < text.size() && text[pos] == u'#') ++pos;
  return static_cast<uint32_t>(ParseLong(text, &pos, 16));
}

bool CUIRenderEngine::DrawImageString(CUICanvas& dc, IUIRenderHost* host, const TUIRect& item,
                                      const TUIRect& paint, std::u16string_view descriptor,
                                      std::u16string_view modifier) {
  if (!host) return false;
  TDescriptorState st{dc, host, item, paint, {}, {}, 0, {}, false};
  st.params.dest = item;
  if (ScanPairs(st, descriptor) == 0) {
    st.name = descriptor;  // a bare file name
    st.named = !descriptor.empty();
  }
  ScanPairs(st, modifier);
  DrawNamed(st);
  return true;
}

}  // namespace SkinUI
