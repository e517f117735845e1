// How a text backend puts a glyph's coverage onto the canvas: the same rule
// whichever system rasterised the glyph.
#pragma once

#include <cstdint>

namespace platform {

// Source-over of colour rgb (0xRRGGBB) at coverage a (0..255) onto the
// premultiplied BGRA pixel d.
inline uint32_t BlendCoverage(uint32_t d, uint32_t rgb, uint32_t a) {
  auto channel = [&](int shift) {
    const uint32_t s = ((rgb >> shift) & 0xFF) * a / 255;
    const uint32_t dv = (d >> shift) & 0xFF;
    return (s + dv * (255 - a) / 255) << shift;
  };
  return channel(0) | channel(8) | channel(16) | ((a + ((d >> 24) & 0xFF) * (255 - a) / 255) << 24);
}

}  // namespace platform
