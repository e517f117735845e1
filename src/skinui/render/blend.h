// Premultiplied source-over blending of pixel rows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace SkinUI {

// x * a / 255, rounded, for two 8-bit channels packed at bits 0 and 16.
inline uint32_t MulPair(uint32_t pair, uint32_t a) {
  uint32_t t = pair * a + 0x00800080;
  return ((t + ((t >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

// Scales all four channels of a premultiplied pixel by a / 255.
inline uint32_t ScalePixel(uint32_t p, uint32_t a) {
  return MulPair(p & 0x00FF00FF, a) | (MulPair((p >> 8) & 0x00FF00FF, a) << 8);
}

// dst = src + dst * (1 - src alpha).
inline uint32_t OverPixel(uint32_t dst, uint32_t src) {
  uint32_t a = src >> 24;
  if (a == 255) return src;
  return src + ScalePixel(dst, 255 - a);
}

// Converts an ARGB colour to a premultiplied pixel.
inline uint32_t Premultiply(uint32_t argb) {
  uint32_t a = argb >> 24;
  if (a == 255) return argb;
  return (a << 24) | (ScalePixel(argb, a) & 0x00FFFFFF);
}

// dst[i] = src[i] over dst[i], for n pixels.
void BlendRowOver(uint32_t* dst, const uint32_t* src, size_t n);
// Like BlendRowOver with every source pixel first scaled by alpha / 255.
void BlendRowOverAlpha(uint32_t* dst, const uint32_t* src, size_t n, uint32_t alpha);
// dst[i] = pixel over dst[i].
void FillRowOver(uint32_t* dst, uint32_t pixel, size_t n);
// dst[i] = pixel, at the speed of memory whatever dst's alignment.
void FillRow(uint32_t* dst, uint32_t pixel, size_t n);

}  // namespace SkinUI
