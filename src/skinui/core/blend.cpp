#include "skinui/core/blend.h"

namespace SkinUI {

// Fully opaque and fully transparent runs are common in skin images; they
// skip the arithmetic.
void BlendRowOver(uint32_t* dst, const uint32_t* src, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t s = src[i];
    uint32_t a = s >> 24;
    if (a == 255) dst[i] = s;
    else if (s != 0) dst[i] = s + ScalePixel(dst[i], 255 - a);
  }
}

void BlendRowOverAlpha(uint32_t* dst, const uint32_t* src, size_t n, uint32_t alpha) {
  if (alpha >= 255) {
    BlendRowOver(dst, src, n);
    return;
  }
  if (alpha == 0) return;
  for (size_t i = 0; i < n; ++i) {
    if (src[i] == 0) continue;
    uint32_t s = ScalePixel(src[i], alpha);
    dst[i] = s + ScalePixel(dst[i], 255 - (s >> 24));
  }
}

void FillRowOver(uint32_t* dst, uint32_t pixel, size_t n) {
  uint32_t a = pixel >> 24;
  if (a == 255) {
    for (size_t i = 0; i < n; ++i) dst[i] = pixel;
    return;
  }
  if (a == 0 && pixel == 0) return;
  for (size_t i = 0; i < n; ++i) dst[i] = pixel + ScalePixel(dst[i], 255 - a);
}

}  // namespace SkinUI
