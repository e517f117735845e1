#include "skinui/render/blend.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace SkinUI {
namespace {

// The four-pixel rows must agree with the one-pixel rule on every length and
// mix of opaque, clear and translucent pixels.
TEST(Blend, RowsMatchThePixelRule) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    size_t n = rng() % 41;
    std::vector<uint32_t> src(n), dst(n);
    for (uint32_t& p : src) {
      uint32_t a = rng() % 3 == 0 ? 255 : rng() % 3 == 0 ? 0 : rng() % 256;
      p = a == 0 ? 0 : Premultiply((a << 24) | (rng() & 0xFFFFFF));
    }
    for (uint32_t& p : dst) p = Premultiply(static_cast<uint32_t>(rng()));
    uint32_t fade = rng() % 256;
    std::vector<uint32_t> over = dst, faded = dst, filled = dst;
    BlendRowOver(over.data(), src.data(), n);
    BlendRowOverAlpha(faded.data(), src.data(), n, fade);
    uint32_t fill = n ? src[0] : 0;
    FillRowOver(filled.data(), fill, n);
    for (size_t i = 0; i < n; ++i) {
      ASSERT_EQ(over[i], OverPixel(dst[i], src[i])) << i;
      uint32_t s = ScalePixel(src[i], fade);
      uint32_t expected = fade == 0 || src[i] == 0 ? dst[i]
                          : fade == 255            ? OverPixel(dst[i], src[i])
                                                   : s + ScalePixel(dst[i], 255 - (s >> 24));
      ASSERT_EQ(faded[i], expected) << i;
      ASSERT_EQ(filled[i], fill == 0 ? dst[i] : OverPixel(dst[i], fill)) << i;
    }
  }
}

// Every start alignment and length around the vector blocks: exactly the
// pixels asked for change.
TEST(Blend, FillRowWritesExactlyItsPixels) {
  for (size_t offset = 0; offset < 4; ++offset) {
    for (size_t n = 0; n <= 40; ++n) {
      std::vector<uint32_t> row(48, 0x11111111);
      FillRow(row.data() + offset, 0xFF2060C0, n);
      for (size_t i = 0; i < row.size(); ++i)
        ASSERT_EQ(row[i], i >= offset && i < offset + n ? 0xFF2060C0u : 0x11111111u)
            << offset << " " << n << " " << i;
    }
  }
}

TEST(Blend, PremultiplyAndScale) {
  EXPECT_EQ(Premultiply(0x80FFFFFF), 0x80808080u);
  EXPECT_EQ(Premultiply(0xFF123456), 0xFF123456u);
  EXPECT_EQ(Premultiply(0x00FFFFFF), 0u);
  EXPECT_EQ(ScalePixel(0xFFFFFFFF, 0), 0u);
  EXPECT_EQ(OverPixel(0xFF0000FF, 0x80800000), 0xFF80007Fu);
}

}  // namespace
}  // namespace SkinUI
